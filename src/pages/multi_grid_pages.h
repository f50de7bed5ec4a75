// The pages of three grids, each in a group box with its own table and buttons: the automatic
// design ranges of one side (CLeftAutoDesCS, CRightAutoDesCS), written back on OK only, and the
// associated-section tables of a separated line (CGLDM), which the main line does not have.
#pragma once

#include "pages/table_page.h"

namespace hdmjm {

class AutoDesignPage : public TablePage {
  Q_OBJECT

 public:
  // The grids, in the order the page shows them.
  enum GridIndex { kFlattenGrid = 0, kFillGrid = 1, kShoulderGrid = 2 };

  AutoDesignPage(const PageContext& context, const QString& caption, bool hasLeaveHandler,
                 Side side);
};

class CLeftAutoDesCS : public AutoDesignPage {
  Q_OBJECT

 public:
  CLeftAutoDesCS(const PageContext& context, const QString& caption, bool hasLeaveHandler)
      : AutoDesignPage(context, caption, hasLeaveHandler, kLeft) {}
};

class CRightAutoDesCS : public AutoDesignPage {
  Q_OBJECT

 public:
  CRightAutoDesCS(const PageContext& context, const QString& caption, bool hasLeaveHandler)
      : AutoDesignPage(context, caption, hasLeaveHandler, kRight) {}
};

inline constexpr std::string_view kMainLineHeading = "关联断面数据只在分离段线路上输入!";

class CGLDM : public TablePage {
  Q_OBJECT

 public:
  enum GridIndex { kShoulderGrid = 0, kMedianDitchGrid = 1, kCutFlattenGrid = 2 };

  CGLDM(const PageContext& context, const QString& caption, bool hasLeaveHandler);

  // The page was filled for the main line: it shows its message and has no grids to store.
  bool ForMainLine() const { return forMainLine_; }

 protected:
  void Fill(RoadSectionStore* record) override;
  void WriteBack(RoadSectionStore& record) override;

 private:
  std::string writingRoad_;  // the road of the record being written back, for the messages
  bool forMainLine_ = false;
};

}  // namespace hdmjm
