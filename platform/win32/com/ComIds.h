// Every identifier that crosses the COM boundary between the add-in and its
// host, in one place: the public interface and event identifiers of the Office
// and Outlook object models, their dispatch numbers, and the member names the
// add-in binds to late. Event sinks are called by dispatch number, so these
// must be the host's own.
#pragma once

#include "win32/WindowsHeaders.h"

namespace ostrel::win32::com {

// IDTExtensibility2 of AddInDesignerObjects (its identifier is in
// Extensibility.idl), and its dispatch numbers.
enum ExtensibilityDispid : DISPID {
  kDispidOnConnection = 1,
  kDispidOnDisconnection = 2,
  kDispidOnAddInsUpdate = 3,
  kDispidOnStartupComplete = 4,
  kDispidOnBeginShutdown = 5,
};
// ext_ConnectMode and ext_DisconnectMode.
inline constexpr int kExtConnectAfterStartup = 0;
inline constexpr int kExtConnectStartup = 1;
inline constexpr int kExtDisconnectHostShutdown = 0;
inline constexpr int kExtDisconnectUserClosed = 1;

// Office: _CommandBarButtonEvents, Click(Ctrl, CancelDefault).
inline constexpr GUID kDiidCommandBarButtonEvents = {
    0x000C0351, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr DISPID kDispidClick = 1;

// Outlook: ExplorerEvents_10 (the explorer's default source) and the older
// ExplorerEvents, with the same dispatch numbers.
inline constexpr GUID kDiidExplorerEvents10 = {
    0x0006300F, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr GUID kDiidExplorerEvents = {
    0x0006304F, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// InspectorEvents_10 and InspectorEvents.
inline constexpr GUID kDiidInspectorEvents10 = {
    0x0006302A, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr GUID kDiidInspectorEvents = {
    0x0006307D, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// Explorer.Activate, Explorer.BeforeFolderSwitch, Explorer.Close and
// Inspector.Close.
inline constexpr DISPID kDispidActivate = 0xF001;
inline constexpr DISPID kDispidBeforeFolderSwitch = 0xF003;
inline constexpr DISPID kDispidClose = 0xF008;

// ExplorersEvents and InspectorsEvents, the sources of Application.Explorers
// and Application.Inspectors: NewExplorer(Explorer) and NewInspector(Inspector),
// each with the new window as its one argument.
inline constexpr GUID kDiidExplorersEvents = {
    0x00063078, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr GUID kDiidInspectorsEvents = {
    0x00063079, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr DISPID kDispidNewExplorer = 0xF001;
inline constexpr DISPID kDispidNewInspector = 0xF001;

// The members the add-in calls by name.
namespace names {
// Application
inline constexpr wchar_t kExplorers[] = L"Explorers";
inline constexpr wchar_t kInspectors[] = L"Inspectors";
inline constexpr wchar_t kCount[] = L"Count";
inline constexpr wchar_t kActiveExplorer[] = L"ActiveExplorer";
inline constexpr wchar_t kCreateItem[] = L"CreateItem";
inline constexpr wchar_t kVersion[] = L"Version";
// MailItem
inline constexpr wchar_t kTo[] = L"To";
inline constexpr wchar_t kSubject[] = L"Subject";
inline constexpr wchar_t kHTMLBody[] = L"HTMLBody";
inline constexpr wchar_t kDisplay[] = L"Display";
// Explorer, add-in instance
inline constexpr wchar_t kCommandBars[] = L"CommandBars";
inline constexpr wchar_t kProgId[] = L"ProgId";
inline constexpr wchar_t kFolderPath[] = L"FolderPath";
// CommandBars, CommandBar (Item also of Explorers and Inspectors)
inline constexpr wchar_t kItem[] = L"Item";
inline constexpr wchar_t kAdd[] = L"Add";
inline constexpr wchar_t kName[] = L"Name";
inline constexpr wchar_t kPosition[] = L"Position";
inline constexpr wchar_t kTemporary[] = L"Temporary";
inline constexpr wchar_t kReset[] = L"Reset";
inline constexpr wchar_t kControls[] = L"Controls";
inline constexpr wchar_t kFindControl[] = L"FindControl";
inline constexpr wchar_t kVisible[] = L"Visible";
inline constexpr wchar_t kAdaptiveMenu[] = L"AdaptiveMenu";
// CommandBarControl, CommandBarButton, CommandBarPopup
inline constexpr wchar_t kType[] = L"Type";
inline constexpr wchar_t kParameter[] = L"Parameter";
inline constexpr wchar_t kCaption[] = L"Caption";
inline constexpr wchar_t kTag[] = L"Tag";
inline constexpr wchar_t kTooltipText[] = L"TooltipText";
inline constexpr wchar_t kBeginGroup[] = L"BeginGroup";
inline constexpr wchar_t kOnAction[] = L"OnAction";
inline constexpr wchar_t kFaceId[] = L"FaceId";
inline constexpr wchar_t kStyle[] = L"Style";
inline constexpr wchar_t kPasteFace[] = L"PasteFace";
inline constexpr wchar_t kPicture[] = L"Picture";
inline constexpr wchar_t kMask[] = L"Mask";
inline constexpr wchar_t kCommandBar[] = L"CommandBar";
inline constexpr wchar_t kDelete[] = L"Delete";
}  // namespace names

}  // namespace ostrel::win32::com
