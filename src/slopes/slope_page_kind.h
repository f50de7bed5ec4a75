// The four slope pages differ in the kind of slope they edit and in the side they sit on; the
// preview and the template files take their page-specific behaviour from this one value.
#pragma once

namespace hdmjm {

enum class SlopePage {
  LeftEmbankment,   // CHdmZLDBP, 左路堤边坡
  RightEmbankment,  // CHdmYLDBP, 右路堤边坡
  LeftCut,          // CHdmZLQBP, 左路堑边坡
  RightCut,         // CHdmYLQBP, 右路堑边坡
};

inline constexpr SlopePage kSlopePages[] = {SlopePage::LeftEmbankment, SlopePage::RightEmbankment,
                                            SlopePage::LeftCut, SlopePage::RightCut};

inline constexpr bool IsCutPage(SlopePage page) {
  return page == SlopePage::LeftCut || page == SlopePage::RightCut;
}

}  // namespace hdmjm
