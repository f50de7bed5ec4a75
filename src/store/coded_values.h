// Coded values, shown as the code, a hyphen and a text ("0-清表土"). The last label stands for
// every code outside the list, and any text that is not one of the other labels reads as the
// last code.
#pragma once

#include <span>
#include <string_view>

namespace hdmjm {

class CodeSet {
 public:
  constexpr explicit CodeSet(std::span<const std::string_view> labels) : labels_(labels) {}
  std::span<const std::string_view> Labels() const { return labels_; }
  std::string_view Label(int code) const {
    const int last = static_cast<int>(labels_.size()) - 1;
    return labels_[code >= 0 && code < last ? code : last];
  }
  int Code(std::string_view text) const {
    const int last = static_cast<int>(labels_.size()) - 1;
    for (int i = 0; i < last; ++i)
      if (labels_[i] == text) return i;
    return last;
  }

 private:
  std::span<const std::string_view> labels_;
};

inline constexpr std::string_view kArcPositionLabels[] = {"0-路堤坡顶", "1-路堤坡脚", "2-路堑坡脚",
                                                          "3-路堑坡顶"};
inline constexpr std::string_view kTopsoilKindLabels[] = {"0-清表土", "1-挖淤泥"};
inline constexpr std::string_view kDitchStructureLabels[] = {"0-坡脚墙", "1-水沟", "2-路肩沟"};
inline constexpr std::string_view kFillMaterialLabels[] = {"0-填土", "1-填石"};
inline constexpr std::string_view kLineKindLabels[] = {"一线", "左线", "右线"};

inline constexpr CodeSet kArcPositions{kArcPositionLabels};        // 设置位置
inline constexpr CodeSet kTopsoilKinds{kTopsoilKindLabels};        // 清表土性质
inline constexpr CodeSet kDitchStructures{kDitchStructureLabels};  // 坡脚墙 / 类型
inline constexpr CodeSet kFillMaterials{kFillMaterialLabels};      // 填料类型

}  // namespace hdmjm
