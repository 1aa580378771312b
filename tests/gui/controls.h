#pragma once
// The window's controls by what they do. The texts are the object names the window
// gives them, which its style sheet and the stored settings also use.

namespace quorvane::test {

inline constexpr char kWindow[] = "Form1";
inline constexpr char kAddZipCodes[] = "PushButton6";
inline constexpr char kLoadListFile[] = "PushButton3";
inline constexpr char kClearList[] = "PushButton1";
inline constexpr char kLoadSample[] = "PushButton7";
inline constexpr char kStartRun[] = "PushButton17";
inline constexpr char kSaveText[] = "PushButton4";
inline constexpr char kSaveWorkbook[] = "PushButton13";
inline constexpr char kCopyResults[] = "PushButton5";
inline constexpr char kClearResults[] = "PushButton2";
inline constexpr char kExplainTables[] = "PushButton8";
inline constexpr char kComparisonFrame[] = "Frame1";
inline constexpr char kResultsFrame[] = "Frame2";
inline constexpr char kTableFrame[] = "Frame3";
inline constexpr char kConsecutiveMode[] = "Option1";
inline constexpr char kReferenceMode[] = "Option2";
inline constexpr char kSentenceWording[] = "Option3";
inline constexpr char kZipsAndDistanceWording[] = "Option4";
inline constexpr char kDistanceOnlyWording[] = "Option5";
inline constexpr char kTable2012[] = "Option6";
inline constexpr char kTable2016[] = "Option7";
inline constexpr char kReferenceZip[] = "Text1";
inline constexpr char kZipList[] = "ListView1";
inline constexpr char kResultList[] = "ListView2";
inline constexpr char kProgressBar[] = "ProgressBar1";

}  // namespace quorvane::test
