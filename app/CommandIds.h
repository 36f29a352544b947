#pragma once
// Command ids of the menu, the accelerators and the tool bar.

namespace Cmd {
inline constexpr int FileNew = 57600;
inline constexpr int FileNewFromImage = 32789;
inline constexpr int FileNewFromClipboard = 32791;
inline constexpr int FileOpen = 57601;
inline constexpr int FileSave = 57603;
inline constexpr int FileSaveAs = 57604;
inline constexpr int SavePicture = 32785;
inline constexpr int CopyPicture = 32787;
inline constexpr int AppExit = 57665;
inline constexpr int EditUndo = 57643;
inline constexpr int EditRedo = 57644;
inline constexpr int ViewToolBar = 59392;
inline constexpr int ViewStatusBar = 59393;
inline constexpr int ShowToolBox = 32779;
inline constexpr int ShowCanvasDialog = 32783;
inline constexpr int Redraw = 32775;
inline constexpr int ZoomActual = 32807;
inline constexpr int ZoomIn = 32801;
inline constexpr int ZoomOut = 32803;
inline constexpr int ZoomFit = 32808;
inline constexpr int Information = 32797;
inline constexpr int Manual = 32813;
inline constexpr int Homepage = 32811;
inline constexpr int About = 57664;

// Bound by the accelerator table but without program behaviour.
inline constexpr int EditCopy = 57634;
inline constexpr int EditCut = 57635;
inline constexpr int EditPaste = 57637;
inline constexpr int FilePrint = 57607;
inline constexpr int NextPane = 57680;
inline constexpr int PrevPane = 57681;
} // namespace Cmd
