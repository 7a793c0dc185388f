// The main window's control ids. Outside programs (screen readers, scripts,
// the end-to-end driver) find the controls by them, so they never change.
// Plain constants with no includes: a test that drives the real program
// from another process takes them without the window layer.
#pragma once

namespace app {

inline constexpr int kListBoxId = 1;
inline constexpr int kHintLabelId = 2;
inline constexpr int kFolderLabelId = 3;
inline constexpr int kFolderTextId = 4;
inline constexpr int kBrowseButtonId = 5;
inline constexpr int kHelpButtonId = 22;
inline constexpr int kVersionLabelId = 25;
inline constexpr int kWebLinkButtonId = 26;
inline constexpr int kOutputPaneId = 27;
inline constexpr int kStripNamesButtonId = 28;
inline constexpr int kSortListButtonId = 29;

}  // namespace app
