// YSXSdlg: the loose-to-compacted coefficients of the scheme, a fixed form of three rows of two
// labelled values. The coefficients hold for the whole scheme: the write-back gives every road's
// record the same set, so whichever road is saved writes it.
#pragma once

#include "pages/property_page.h"

namespace hdmjm {

class CGridCtrl;

class YSXSdlg : public PropertyPage {
  Q_OBJECT

 public:
  YSXSdlg(const PageContext& context, const QString& caption, bool hasLeaveHandler);

  CGridCtrl& Grid() const { return *grid_; }

 protected:
  void Fill(RoadSectionStore* record) override;
  void WriteBack(RoadSectionStore& record) override;

 private:
  CGridCtrl* grid_;
};

}  // namespace hdmjm
