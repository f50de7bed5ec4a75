#include "typedgridctrl.h"

#include <span>
#include <string_view>

#include "store/coded_values.h"

namespace hdmjm {
namespace {

struct TypedColumn {
  std::string_view heading;
  std::span<const std::string_view> labels;
};

constexpr TypedColumn kTypedColumns[] = {
    {"填料类型", kFillMaterialLabels}, {"清表土性质", kTopsoilKindLabels},
    {"线路性质", kLineKindLabels},     {"类型", kDitchStructureLabels},
    {"设置位置", kArcPositionLabels},
};

QStringList ToQStrings(const auto& texts) {
  QStringList list;
  for (const auto& text : texts)
    list.append(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  return list;
}

}  // namespace

CTypedGridCtrl::CTypedGridCtrl(QWidget* parent) : CGridCtrl(parent) {}

void CTypedGridCtrl::SetProjectContext(std::filesystem::path installRoot, ProjectPaths* paths,
                                       UserMessages* messages) {
  landTypes_.SetContext(std::move(installRoot), paths, messages);
}

QStringList CTypedGridCtrl::TypedItems(const QString& heading) {
  const std::string name = heading.toStdString();
  for (const TypedColumn& column : kTypedColumns)
    if (column.heading == name) return ToQStrings(column.labels);
  return {};
}

void CTypedGridCtrl::CreateInPlaceEditor(const QRect& rect, Qt::Alignment alignment, int id,
                                         int row, int col, const QString& text, int key) {
  SetFocusCell(row, col);
  const QString heading = GetItemText(0, col);
  if (heading == QString::fromUtf8(kLandTypeHeading)) {
    OpenInPlaceList(rect, true, id, row, col, text, ToQStrings(landTypes_.Load()), key);
    return;
  }
  if (const QStringList items = TypedItems(heading); !items.isEmpty()) {
    OpenInPlaceList(rect, false, id, row, col, text, items, key);
    return;
  }
  CGridCtrl::CreateInPlaceEditor(rect, alignment, id, row, col, text, key);
}

void CTypedGridCtrl::OnEndEditCell(int row, int col, const QString& text) {
  if (col == 2 && GetItemText(0, 2) == QString::fromUtf8(kLandTypeHeading))
    landTypes_.Add(text.toStdString());
  if (text.toStdString() == kDitchStructureLabels[2]) {
    for (int zeroed : kShoulderDitchZeroedColumns) SetItemText(row, zeroed, QStringLiteral("0"));
  }
  CGridCtrl::OnEndEditCell(row, col, text);
}

}  // namespace hdmjm
