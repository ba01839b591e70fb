#pragma once

// Command identifiers of the menu, toolbar and accelerators. Each action carries its
// number as its object name ("id32771"), so tests and scripts can find it. A module's own
// commands are numbered in its folder (logo/LogoCommandIds.h).
namespace Cmd {
constexpr int FileNew = 57600;
constexpr int FileOpen = 57601;
constexpr int FileSave = 57603;
constexpr int FileSaveAs = 57604;
constexpr int FilePrint = 57607;
constexpr int FileMru = 57616;
constexpr int EditCopy = 57634;
constexpr int EditCut = 57635;
constexpr int EditPaste = 57637;
constexpr int EditUndo = 57643;
constexpr int AppAbout = 57664;
// F1: the help topic of the page or dialog in front (the framework's help command).
constexpr int Help = 57670;
constexpr int AppExit = 57665;
constexpr int NextPane = 57680;
constexpr int PrevPane = 57681;
constexpr int ViewToolbar = 59392;
constexpr int ViewStatusBar = 59393;

constexpr int ViewModule1 = 32771;
constexpr int ViewModule2 = 32772;
constexpr int ViewModule3 = 32773;
constexpr int ViewModule4 = 32774;
constexpr int ViewModule5 = 32775;
constexpr int ViewModule6 = 32828;
constexpr int ToolModule1 = 32799;
constexpr int ToolModule2 = 32796;
constexpr int ToolModule6 = 32829;
constexpr int ToolModule3 = 32798;
constexpr int ToolModule4 = 32820;
constexpr int ToolModule5 = 32817;

constexpr int ConfigureSerialPort = 32795;
constexpr int HelpTopics = 32827;
constexpr int HelpOverview = 32813;
constexpr int HelpCustomAttributes = 32814;
constexpr int HelpLogoDownload = 32815;
constexpr int HelpBluetooth = 32826;
constexpr int InternalStatus = 32810;

// View > Simulated Printer, offered while KVU runs its own simulated printer.
constexpr int ViewSimulatedPrinter = 32831;
// View > Provisioning Record: what kvuctl provision did to which printer.
constexpr int ViewProvisioningRecord = 32832;
} // namespace Cmd
