// The four kinds of slope page: embankment or cut, left or right. The preview draws each its own
// way and the template dialogs propose each its own names. No Qt here.
#pragma once

namespace hdmjm {

enum class SlopePage {
  LeftEmbankment,   // CHdmZLDBP, 左路堤边坡
  RightEmbankment,  // CHdmYLDBP, 右路堤边坡
  LeftCut,          // CHdmZLQBP, 左路堑边坡
  RightCut,         // CHdmYLQBP, 右路堑边坡
};

constexpr bool IsCutPage(SlopePage page) {
  return page == SlopePage::LeftCut || page == SlopePage::RightCut;
}

}  // namespace hdmjm
