// Qt's Chinese catalogues: the standard buttons and the open-file dialog speak Chinese.
#include "app/translations.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include "app/qt_services.h"
#include "store/access_support.h"

namespace hdmjm::test {
namespace {

class ChineseTranslations : public ::testing::Test {
 protected:
  // The catalogues go again, so that no other test runs under them.
  ~ChineseTranslations() override {
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
      QCoreApplication::removeTranslator(translator);
      delete translator;
    }
    QLocale::setDefault(QLocale::system());
  }
};

TEST_F(ChineseTranslations, StandardButtonsAndTheOpenFileDialogSpeakChinese) {
  ASSERT_TRUE(InstallChineseTranslations(*qApp));
  EXPECT_EQ(QLocale().language(), QLocale::Chinese);

  QMessageBox box(QMessageBox::Information, "hdmjm", "完成", QMessageBox::Ok);
  EXPECT_EQ(box.button(QMessageBox::Ok)->text().remove(QLatin1Char('&')), "确定");
  QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')), "取消");

  QFileDialog dialog(nullptr, "打开");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  const auto* fileTypeLabel = dialog.findChild<QLabel*>(QStringLiteral("fileTypeLabel"));
  ASSERT_NE(fileTypeLabel, nullptr);
  EXPECT_FALSE(fileTypeLabel->text().contains(QStringLiteral("Files of type")))
      << fileTypeLabel->text().toStdString();
  EXPECT_TRUE(
      dialog.labelText(QFileDialog::Accept).startsWith(QStringLiteral("打开")));  // "打开(&O)"
}

TEST(SchemeFileTypes, AnMdbFileIsNamedForTheSQLiteFileItIs) {
  const SchemeFileTypes types;
  EXPECT_EQ(types.type(QFileInfo(QStringLiteral("/tmp/示例方案.MDB"))), QStringLiteral("SQLite"));
  EXPECT_NE(types.type(QFileInfo(QStringLiteral("/tmp/t.mb"))), QStringLiteral("SQLite"));
  const QString access = QString::fromStdString(SharedJet(kSampleJet4).string());
  EXPECT_EQ(types.type(QFileInfo(access)), QStringLiteral("Access"));
}

}  // namespace
}  // namespace hdmjm::test
