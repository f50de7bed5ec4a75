#include "app/qt_services.h"

#include <gtest/gtest.h>

namespace hdmjm::test {
namespace {

TEST(QtNameFilterTest, PairsOfDescriptionAndPatternsBecomeQtFilters) {
  EXPECT_EQ(QtNameFilter("横断面标准数据文件 (*.*)|*.*|All Files(*.*)|*.*||").toStdString(),
            "横断面标准数据文件 (*.*);;All Files (*.*)");
  EXPECT_EQ(QtNameFilter("模板文件|*.mb;*.txt||").toStdString(), "模板文件 (*.mb *.txt)");
}

}  // namespace
}  // namespace hdmjm::test
