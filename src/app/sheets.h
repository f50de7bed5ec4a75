// The main sheet and the two side sheets, and the two main-sheet pages that open a side sheet.
#pragma once

#include <memory>

#include "app/property_sheet.h"

namespace hdmjm {

class RecoveryKeeper;

// The main sheet's page table with the application's own pages: the settings page and the two
// side-sheet openers.
std::span<const PageEntry> MainSheetPages();

// The main sheet's title: its caption, followed by the scheme and its file when one is open
// ("横断面数据 - 示例方案 (/…/data/示例方案.mdb)"), so that two windows on two schemes differ.
QString MainSheetTitle(const std::string& database = {});

// The main sheet, "横断面数据". Confirming it commits every created page first and saves every
// road last, so that pages committing on OK only (the coefficients) reach the database too.
// While a scheme is open it keeps the scheme's recovery file, which OK (every road saved) and
// Cancel remove.
class HDMJM : public PropertySheet {
  Q_OBJECT

 public:
  explicit HDMJM(const PageContext& context, QWidget* parent = nullptr,
                 std::span<const PageEntry> pages = MainSheetPages());
  ~HDMJM() override;

  RecoveryKeeper& Recovery() const { return *recovery_; }
  void reject() override;

 protected:
  // Asks once whether to save when the checks find errors, then saves every road; the sheet
  // stays open when the designer goes back to edit or not every road was saved.
  bool AfterOk() override;

 private:
  std::unique_ptr<RecoveryKeeper> recovery_;
};

// The left side sheet, "左标准断面参数", built for one opening and destroyed when it closes.
class HDMContainer : public PropertySheet {
  Q_OBJECT

 public:
  explicit HDMContainer(const PageContext& context, QWidget* parent = nullptr);
};

// The right side sheet, "右标准断面参数".
class HDMContainerR : public PropertySheet {
  Q_OBJECT

 public:
  explicit HDMContainerR(const PageContext& context, QWidget* parent = nullptr);
};

// An empty main-sheet page that runs a side sheet modally each time it becomes current. It stays
// the current tab afterwards; to open the sheet again the designer selects another tab first.
template <class Sheet>
class SideSheetOpener : public PropertyPage {
 public:
  using PropertyPage::PropertyPage;

 protected:
  void OnActivate() override {
    Sheet sheet(Context(), window());
    sheet.exec();
  }
};

using LeftHdmJm = SideSheetOpener<HDMContainer>;
using RightHdmJm = SideSheetOpener<HDMContainerR>;

}  // namespace hdmjm
