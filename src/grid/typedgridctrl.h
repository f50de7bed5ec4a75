// CTypedGridCtrl: the grid most pages use. A column whose heading in row 0 names a coded
// quantity is edited with a drop-down list of its labels; "用地类型" offers the project's
// land-use type list, which grows with the types the designer enters.
#pragma once

#include <filesystem>

#include "gridctrl.h"
#include "land_type_list.h"

namespace hdmjm {

inline constexpr char kLandTypeHeading[] = "用地类型";
// The embankment-ditch columns a "2-路肩沟" row holds no value for: start and end berm width and
// thickness, start and end weir width and thickness.
inline constexpr int kShoulderDitchZeroedColumns[] = {4, 5, 8, 9, 11, 12, 15, 16};

class CTypedGridCtrl : public CGridCtrl {
  Q_OBJECT

 public:
  explicit CTypedGridCtrl(QWidget* parent = nullptr);

  // Where the land-use type list file is found. Without a context no file is used.
  void SetProjectContext(std::filesystem::path installRoot, ProjectPaths* paths,
                         UserMessages* messages);
  const std::vector<std::string>& LandTypes() const { return landTypes_.Items(); }

  // The labels offered for a coded heading; empty for a column edited as text.
  static QStringList TypedItems(const QString& heading);

  void CreateInPlaceEditor(const QRect& rect, Qt::Alignment alignment, int id, int row, int col,
                           const QString& text, int key) override;
  void OnEndEditCell(int row, int col, const QString& text) override;

 private:
  LandTypeList landTypes_;
};

}  // namespace hdmjm
