// The table pages, one named descriptor per page class. Left and right twins differ only here.
#pragma once

#include "pages/table_page.h"

namespace hdmjm {

// Segment pages of the side sheets.
extern const PageDesc LUJXKFD, LUJXKFDR;      // 横断面限制宽度
extern const PageDesc lujbtwk, lujbtwkR;      // 用地加宽
extern const PageDesc HDMNCK, HDMNCKR;        // 地面线内插宽
extern const PageDesc CZLMHD, CYLMH;          // 路面厚度
extern const PageDesc CHTHD, CYHTHD;          // 清表土厚度
extern const PageDesc CLeftWFSJ, CRightWFSJ;  // 挖方分类
// Start-end interval pages of the side sheets: OK-only write-back.
extern const PageDesc HDMLeftGouPD, HDMRightGouPD;  // 沟底坡
extern const PageDesc LeftDQ, RightDQ;              // 挡墙
extern const PageDesc LCTKDDlg, RCTKDDlg;           // 超填宽度表
extern const PageDesc LARCBPDlg, RARCBPDlg;         // 弧形边坡表
// Whole-road pages of the main sheet.
extern const PageDesc CTFSJ;   // 填方分类
extern const PageDesc CYDLX1;  // 用地类型表
extern const PageDesc YDFDB1;  // 用地面积汇总分段表

}  // namespace hdmjm
