#include "windows/findings_window.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <memory>

#include "core/csv.h"
#include "core/finding_actions.h"
#include "core/finding_reporters.h"
#include "core/findings_history.h"
#include "core/findings_table.h"
#include "core/ignore_rule_edits.h"
#include "core/ignore_rules.h"
#include "core/language_texts.h"
#include "core/signer_line.h"
#include "core/startup_entry_presence.h"
#include "core/window_classes.h"
#include "platform/accessible_object.h"
#include "platform/appended_file.h"
#include "platform/clipboard.h"
#include "platform/dpi.h"
#include "platform/list_view.h"
#include "platform/monitor_thread.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/unique_handle.h"
#include "platform/window.h"
#include "platform/window_text.h"
#include "platform/worker_thread.h"
#include "resource_ids.h"
#include "ui/font_cache.h"

namespace vigilo {
namespace {

enum ControlId : int {
    kTabs = 100,
    kSearchLabel,
    kSearch,
    kFindingsList,
    kDisable,
    kDontShow,
    kOpenLocation,
    kCopy,
    kExport,
    kStatus,
    kRulesList,
    kRemove,
};

enum class Page { Findings, Ignored };

// The layout, in pixels at 96 DPI.
constexpr SIZE kDesignClient{820, 480};
constexpr SIZE kSmallestClient{520, 300};
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kRowHeight = 23;
constexpr int kLabelHeight = 17;
constexpr int kButtonHeight = 25;
constexpr int kSearchWidth = 280;
constexpr int kButtonPadding = 24;
constexpr int kNarrowestButton = 88;
constexpr int kFindingsColumnWidths[kFindingsColumnCount] = {140, 130, 180, 150, 240, 260};

struct RuleColumn {
    const TextId* title;
    int width;
};
constexpr RuleColumn kRuleColumns[] = {{&texts::kRulesColumnKind, 80},
                                       {&texts::kRulesColumnName, 220},
                                       {&texts::kRulesColumnProgram, 250},
                                       {&texts::kRulesColumnSigner, 130},
                                       {&texts::kRulesColumnNote, 200}};
constexpr size_t kRuleFields = 4;

// The buttons under each page's list, left to right; the findings page's last stands at the right end.
constexpr struct {
    ControlId id;
    const TextId* text;
    Page page;
} kButtons[] = {
    {kDisable, &texts::kFindingsDisable, Page::Findings},
    {kDontShow, &texts::kFindingsDontShow, Page::Findings},
    {kOpenLocation, &texts::kFindingsOpenLocation, Page::Findings},
    {kCopy, &texts::kFindingsCopy, Page::Findings},
    {kExport, &texts::kFindingsExport, Page::Findings},
    {kRemove, &texts::kRulesRemove, Page::Ignored},
};

std::string WithCounts(std::string text, size_t shown, size_t total) {
    for (const auto& [placeholder, number] : {std::pair{"%1", shown}, std::pair{"%2", total}})
        if (const size_t at = text.find(placeholder); at != std::string::npos)
            text.replace(at, 2, std::to_string(number));
    return text;
}

std::string WithoutMnemonic(const std::string& text) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && ++i == text.size()) break;  // "&x" shows x underlined, "&&" an "&"
        plain += text[i];
    }
    return plain;
}

class FindingsWindow;
std::unique_ptr<FindingsWindow>& OpenWindow();

class FindingsWindow : public Window {
public:
    explicit FindingsWindow(FindingsWindowSeams seams);
    ~FindingsWindow() override;

    void BringToFront();
    void Add(const std::vector<HistoryFinding>& recorded);
    // The open window, if it is still the one of generation and not yet closed.
    static FindingsWindow* Open(unsigned generation);

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnDestroyed() override;

private:
    HWND MakeControl(const wchar_t* windowClass, const std::string& text, DWORD style, DWORD exStyle, ControlId id);
    HWND Control(int id) const { return GetDlgItem(Handle(), id); }
    void CreateControls();
    void PlaceOnScreen();
    void Layout();
    int Scaled(int value) const { return ScaleForDpi(value, dpi_); }
    int TextWidth(const std::string& text) const;
    // Measures the texts the layout fits its controls to, at the window's DPI.
    void MeasureTexts();
    void DpiChanged(int dpi, const RECT& suggested);
    void ShowPage(Page page);

    void StartReading();
    void HistoryRead();
    // Shows the table's rows anew, the finding with id selected where it is shown.
    void ShowRows(long long selectedId);
    std::optional<size_t> SelectedRow() const;
    const HistoryFinding* SelectedFinding() const;
    long long SelectedId() const;
    void SortBy(int column);
    void UpdateActions();

    // What can be done with the selected row now.
    struct Actions {
        bool toggle = false;
        bool disabled = false;  // its entry is disabled at start-up: the toggle enables it
        std::optional<std::string> ignoreLine;
        std::optional<std::string> location;
        bool copy = false;
    };
    Actions ActionsOfSelection() const;
    void Run(int command);
    void ToggleStartup();
    void DontShowAgain();
    void OpenLocation();
    void CopyRow();
    void Export();
    void ContextMenu(HWND control, LPARAM at);

    void ReloadRules();
    void RemoveRules();
    bool RulesRemovable() const;

    LRESULT Notify(const NMHDR& header, LPARAM lp);
    static LRESULT CALLBACK ListProc(HWND list, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);

    FindingsWindowSeams seams_;
    const unsigned generation_;
    int dpi_ = kDesignDpi;
    SharedFont font_;
    Page page_ = Page::Findings;
    HWND focus_ = nullptr;  // the control that had the focus when the window was left

    FindingsTable table_;
    bool read_ = false;
    std::vector<HistoryFinding> cameWhileReading_;
    std::unique_ptr<FindingsTable> readTable_;  // the worker's result, taken once it is joined
    std::atomic<bool> stopping_{false};
    WorkerThread reader_;

    std::vector<ListedIgnoreLine> rules_;
    int searchLabelWidth_ = 0;
    std::vector<int> buttonWidths_;  // as kButtons
};

std::unique_ptr<FindingsWindow>& OpenWindow() {
    static std::unique_ptr<FindingsWindow> window;
    return window;
}

unsigned NextGeneration() {
    static unsigned generation = 0;
    return ++generation;
}

FindingsWindow::FindingsWindow(FindingsWindowSeams seams) : seams_(std::move(seams)), generation_(NextGeneration()) {
    if (seams_.historyPath.empty()) seams_.historyPath = FindingsHistoryPath();
    if (!seams_.showInFolder) seams_.showInFolder = ShowInFolder;
    if (!seams_.askWhereToSave) seams_.askWhereToSave = AskWhereToSave;
    LoadCommonControls();
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // Shared icons of the program's resources: the system keeps them, nothing frees them.
    const auto icon = [instance](int size) {
        return static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(IDI_VIGILO), IMAGE_ICON, size, size, LR_SHARED));
    };
    RegisterClassOnce(window_classes::kFindings, 0, nullptr, icon(GetSystemMetrics(SM_CXICON)));
    // A taskbar button of its own, and the keyboard as in a dialog (Tab, Esc, Alt and a letter).
    const std::string title = Text(texts::kFindingsTitle);
    if (!CreateHandle(window_classes::kFindings, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, CW_USEDEFAULT, CW_USEDEFAULT, kDesignClient.cx,
                      kDesignClient.cy))
        return;
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon(GetSystemMetrics(SM_CXSMICON))));
    dpi_ = WindowDpi(Handle());
    font_ = AcquireFont(kDefaultFont, dpi_);
    CreateControls();
    PlaceOnScreen();
    StartReading();
    // Made, shown and brought to the front in three messages: in one, the
    // main thread would not answer for as long as all three take (under
    // Wine, showing a window this size takes 50 ms alone).
    PostToMainThread([generation = generation_] {
        if (FindingsWindow* window = Open(generation)) ShowWindow(window->Handle(), SW_SHOWNOACTIVATE);
        PostToMainThread([generation] {
            if (FindingsWindow* window = Open(generation)) {
                window->BringToFront();
                SetFocus(window->Control(kFindingsList));
            }
        });
    });
}

FindingsWindow* FindingsWindow::Open(unsigned generation) {
    const std::unique_ptr<FindingsWindow>& window = OpenWindow();
    return window && window->generation_ == generation && window->Handle() ? window.get() : nullptr;
}

FindingsWindow::~FindingsWindow() {
    stopping_ = true;
    reader_.Join();
    DestroyHandle();
}

void FindingsWindow::BringToFront() {
    if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
    SetForegroundWindow(Handle());
}

HWND FindingsWindow::MakeControl(const wchar_t* windowClass, const std::string& text, DWORD style, DWORD exStyle,
                                 ControlId id) {
    const HWND control =
        CreateWindowExW(exStyle, windowClass, Utf16(text).c_str(), WS_CHILD | style, 0, 0, 0, 0, Handle(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (control && font_) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_->get()), FALSE);
    return control;
}

// Created in the order the Tab key visits them; the window destroys them with itself.
void FindingsWindow::CreateControls() {
    const HWND tabs = MakeControl(WC_TABCONTROLW, "", WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 0, kTabs);
    AddTab(tabs, Text(texts::kFindingsTab));
    AddTab(tabs, Text(texts::kIgnoredTab));

    // The label before the box names it for screen readers, and its letter takes the focus there.
    MakeControl(WC_STATICW, Text(texts::kFindingsSearch), WS_VISIBLE | SS_LEFT, 0, kSearchLabel);
    MakeControl(WC_EDITW, "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kSearch);

    const HWND list = MakeControl(WC_LISTVIEWW, "",
                                  WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL |
                                      LVS_SHOWSELALWAYS,
                                  WS_EX_CLIENTEDGE, kFindingsList);
    const DWORD listStyle = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, listStyle, listStyle);
    const FindingCells titles = FindingsColumnTitles();
    for (size_t column = 0; column < kFindingsColumnCount; ++column)
        InsertListColumn(list, static_cast<int>(column), titles[column], Scaled(kFindingsColumnWidths[column]));
    // Newest first until the user sorts by another column.
    ShowListSortArrow(list, static_cast<int>(FindingsColumn::When), false);

    for (const auto& button : kButtons) {
        if (button.page != Page::Findings) continue;
        MakeControl(WC_BUTTONW, Text(*button.text), WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, 0,
                    button.id);
    }
    MakeControl(WC_STATICW, Text(texts::kFindingsReading), WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, kStatus);

    const HWND rules = MakeControl(WC_LISTVIEWW, "", WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE,
                                   kRulesList);
    SendMessageW(rules, LVM_SETEXTENDEDLISTVIEWSTYLE, listStyle, listStyle);
    for (size_t column = 0; column < std::size(kRuleColumns); ++column)
        InsertListColumn(rules, static_cast<int>(column), Text(*kRuleColumns[column].title),
                         Scaled(kRuleColumns[column].width));
    MakeControl(WC_BUTTONW, Text(texts::kRulesRemove), WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, 0, kRemove);

    // The lists answer screen readers with a name of their own.
    SetWindowSubclass(list, &FindingsWindow::ListProc, kFindingsList, 0);
    SetWindowSubclass(rules, &FindingsWindow::ListProc, kRulesList, 0);
    MeasureTexts();
}

LRESULT CALLBACK FindingsWindow::ListProc(HWND list, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR) {
    if (msg == WM_GETOBJECT) {
        const std::string name = Text(id == kFindingsList ? texts::kFindingsTab : texts::kRulesList);
        if (const std::optional<LRESULT> answer = AnswerClientObject(list, wp, lp, ROLE_SYSTEM_LIST, name))
            return *answer;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(list, &FindingsWindow::ListProc, id);
    return DefSubclassProc(list, msg, wp, lp);
}

// Its designed size at its screen's DPI, within the screen's work area, in its middle.
void FindingsWindow::PlaceOnScreen() {
    const DWORD style = static_cast<DWORD>(GetWindowLongW(Handle(), GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(Handle(), GWL_EXSTYLE));
    RECT frame{0, 0, Scaled(kDesignClient.cx), Scaled(kDesignClient.cy)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    MONITORINFO monitor{sizeof monitor};
    GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = std::min<int>(frame.right - frame.left, work.right - work.left);
    const int height = std::min<int>(frame.bottom - frame.top, work.bottom - work.top);
    SetWindowPos(Handle(), nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

int FindingsWindow::TextWidth(const std::string& text) const {
    const HDC dc = GetDC(Handle());
    if (!dc) return 0;
    SIZE size{};
    {
        const ScopedSelect font(dc, font_ ? font_->get() : nullptr);
        const std::wstring wide = Utf16(WithoutMnemonic(text));
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    }
    ReleaseDC(Handle(), dc);
    return size.cx;
}

void FindingsWindow::MeasureTexts() {
    searchLabelWidth_ = TextWidth(Text(texts::kFindingsSearch)) + Scaled(4);
    buttonWidths_.clear();
    for (const auto& button : kButtons) {
        // The toggle is as wide as the longer of its two texts, so that the row stays put when it changes.
        int textWidth = TextWidth(Text(*button.text));
        if (button.id == kDisable) textWidth = std::max(textWidth, TextWidth(Text(texts::kFindingsEnable)));
        buttonWidths_.push_back(std::max(Scaled(kNarrowestButton), textWidth + Scaled(kButtonPadding)));
    }
}

void FindingsWindow::Layout() {
    if (!Control(kTabs)) return;  // sized while it is made, before its controls are
    RECT client{};
    GetClientRect(Handle(), &client);
    const int margin = Scaled(kMargin), gap = Scaled(kGap);
    const int width = std::max<int>(0, client.right - 2 * margin);
    const int right = client.right - margin;

    // The tabs as a strip above the pages: the pages are the window's own
    // controls, which the tab control never paints over.
    const HWND tabs = Control(kTabs);
    RECT item{};
    SendMessageW(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    const int tabsHeight = item.bottom + Scaled(2);
    const int top = margin + tabsHeight + gap;
    const int statusTop = client.bottom - margin - Scaled(kLabelHeight);
    const int buttonsTop = statusTop - gap - Scaled(kButtonHeight);
    const int listBottom = buttonsTop - gap;
    const int searchLabelWidth = searchLabelWidth_;
    const int listTop = top + Scaled(kRowHeight) + gap;

    HDWP moves = BeginDeferWindowPos(16);
    const auto place = [&](ControlId id, int x, int y, int w, int h) {
        if (moves) moves = DeferWindowPos(moves, Control(id), nullptr, x, y, std::max(w, 0), std::max(h, 0),
                                          SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(kTabs, margin, margin, width, tabsHeight);
    place(kSearchLabel, margin, top + (Scaled(kRowHeight) - Scaled(kLabelHeight)) / 2, searchLabelWidth,
          Scaled(kLabelHeight));
    place(kSearch, margin + searchLabelWidth, top, std::min(Scaled(kSearchWidth), width - searchLabelWidth),
          Scaled(kRowHeight));
    place(kFindingsList, margin, listTop, width, listBottom - listTop);
    place(kRulesList, margin, top, width, listBottom - top);
    int x = margin;
    for (size_t i = 0; i < std::size(kButtons) && i < buttonWidths_.size(); ++i) {
        const auto& button = kButtons[i];
        const int buttonWidth = buttonWidths_[i];
        if (button.id == kRemove) x = margin;
        const int at = button.id == kExport ? std::max(x, right - buttonWidth) : x;
        place(button.id, at, buttonsTop, buttonWidth, Scaled(kButtonHeight));
        x = at + buttonWidth + gap;
    }
    place(kStatus, margin, statusTop, width, Scaled(kLabelHeight));
    if (moves) EndDeferWindowPos(moves);
}

void FindingsWindow::DpiChanged(int dpi, const RECT& suggested) {
    const int before = dpi_;
    dpi_ = dpi;
    font_ = AcquireFont(kDefaultFont, dpi_);
    for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (font_) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_->get()), TRUE);
    for (const ControlId id : {kFindingsList, kRulesList}) {
        const HWND list = Control(id);
        const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
        const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
        for (int column = 0; column < columns; ++column) {
            const int width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
            SendMessageW(list, LVM_SETCOLUMNWIDTH, column, MulDiv(width, dpi_, before));
        }
    }
    MeasureTexts();
    SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

void FindingsWindow::ShowPage(Page page) {
    page_ = page;
    const bool findings = page == Page::Findings;
    for (const ControlId id : {kSearchLabel, kSearch, kFindingsList, kStatus})
        ShowWindow(Control(id), findings ? SW_SHOW : SW_HIDE);
    for (const auto& button : kButtons) ShowWindow(Control(button.id), (button.page == page) ? SW_SHOW : SW_HIDE);
    ShowWindow(Control(kRulesList), findings ? SW_HIDE : SW_SHOW);
    if (!findings) ReloadRules();
}

void FindingsWindow::StartReading() {
    // The file is read and its table made on the worker; only the finished table comes to this thread.
    const std::string path = seams_.historyPath;
    const unsigned generation = generation_;
    const bool started = reader_.Start([this, path, generation] {
        // Below the main thread, which answers the user meanwhile.
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
        const auto stopped = [this] { return stopping_.load(); };
        HistoryContents contents = ReadFindingsHistory(path, stopped).value_or(HistoryContents{});
        std::vector<HistoryFinding> findings;
        for (HistoryLine& line : contents.entries)
            if (auto* finding = std::get_if<HistoryFinding>(&line)) findings.push_back(std::move(*finding));
        auto table = std::make_unique<FindingsTable>();
        table->SetFindings(std::move(findings), stopped);
        readTable_ = std::move(table);
        PostToMainThread([generation] {
            if (FindingsWindow* window = Open(generation)) window->HistoryRead();
        });
    });
    if (!started) HistoryRead();
}

void FindingsWindow::HistoryRead() {
    reader_.Join();
    if (readTable_) table_ = std::move(*readTable_);
    readTable_.reset();
    read_ = true;
    // What the user typed meanwhile applies.
    table_.SetFilter(WindowTextUtf8(Control(kSearch)));
    table_.AddFindings(std::move(cameWhileReading_));
    cameWhileReading_.clear();
    ShowRows(0);
    if (table_.ShownCount() > 0 && GetFocus() == Control(kFindingsList)) SelectOnlyListRow(Control(kFindingsList), 0);
    EnableWindow(Control(kExport), TRUE);
}

void FindingsWindow::Add(const std::vector<HistoryFinding>& recorded) {
    if (!read_) {
        cameWhileReading_.insert(cameWhileReading_.end(), recorded.begin(), recorded.end());
        return;
    }
    const long long selected = SelectedId();
    table_.AddFindings(recorded);
    ShowRows(selected);
}

void FindingsWindow::ShowRows(long long selectedId) {
    const HWND list = Control(kFindingsList);
    // A new count costs a virtual list of ten thousand rows some 20 ms under Wine: only where it changed.
    if (static_cast<size_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) != table_.ShownCount())
        SendMessageW(list, LVM_SETITEMCOUNT, table_.ShownCount(), LVSICF_NOSCROLL);
    const std::optional<size_t> position = selectedId ? table_.ShownPosition(selectedId) : std::nullopt;
    SelectOnlyListRow(list, position ? static_cast<int>(*position) : -1);
    InvalidateRect(list, nullptr, FALSE);
    SetWindowTextUtf8(Control(kStatus), WithCounts(Text(texts::kFindingsStatus), table_.ShownCount(),
                                                   table_.TotalCount()));
    UpdateActions();
}

std::optional<size_t> FindingsWindow::SelectedRow() const {
    const int row = FocusedSelectedListRow(Control(kFindingsList));
    if (row < 0 || static_cast<size_t>(row) >= table_.ShownCount()) return std::nullopt;
    return static_cast<size_t>(row);
}

const HistoryFinding* FindingsWindow::SelectedFinding() const {
    const std::optional<size_t> row = SelectedRow();
    return row ? &table_.ShownFinding(*row) : nullptr;
}

long long FindingsWindow::SelectedId() const {
    const HistoryFinding* selected = SelectedFinding();
    return selected ? selected->finding.historyId : 0;
}

void FindingsWindow::SortBy(int column) {
    if (column < 0 || static_cast<size_t>(column) >= kFindingsColumnCount) return;
    const auto chosen = static_cast<FindingsColumn>(column);
    // The first click orders up, the next down. (The default order, newest
    // first, shows as When down: a first click on When turns it up.)
    const bool ascending = table_.SortColumn() == chosen ? !table_.SortAscending() : true;
    const long long selected = SelectedId();
    table_.SortBy(chosen, ascending);
    ShowListSortArrow(Control(kFindingsList), column, ascending);
    ShowRows(selected);
}

FindingsWindow::Actions FindingsWindow::ActionsOfSelection() const {
    Actions actions;
    const HistoryFinding* selected = SelectedFinding();
    if (!selected) return actions;
    const Finding& finding = selected->finding;
    actions.copy = true;
    if (finding.approved && StartupEntryPresent(*finding.approved) && seams_.approval.Offered(*finding.approved)) {
        actions.toggle = true;
        actions.disabled = seams_.approval.Disabled(*finding.approved);
    }
    actions.ignoreLine = OfferedIgnoreLine(finding);
    actions.location = FindingFileLocation(finding);
    return actions;
}

void FindingsWindow::UpdateActions() {
    const Actions actions = ActionsOfSelection();
    const HWND focus = GetFocus();
    const auto enable = [&](ControlId id, bool enabled) {
        const HWND button = Control(id);
        // A button that goes grey hands the focus to the list: the keyboard is never left nowhere.
        if (!enabled && focus == button) SetFocus(Control(kFindingsList));
        EnableWindow(button, enabled);
    };
    SetWindowTextUtf8(Control(kDisable), Text(actions.disabled ? texts::kFindingsEnable : texts::kFindingsDisable));
    enable(kDisable, actions.toggle);
    enable(kDontShow, actions.ignoreLine.has_value());
    enable(kOpenLocation, actions.location.has_value());
    enable(kCopy, actions.copy);
}

void FindingsWindow::Run(int command) {
    switch (command) {
        case kDisable: ToggleStartup(); break;
        case kDontShow: DontShowAgain(); break;
        case kOpenLocation: OpenLocation(); break;
        case kCopy: CopyRow(); break;
        case kExport: Export(); break;
        case kRemove: RemoveRules(); break;
        default: break;
    }
}

void FindingsWindow::ToggleStartup() {
    const HistoryFinding* selected = SelectedFinding();
    const Actions actions = ActionsOfSelection();
    if (!selected || !actions.toggle) return;
    const StartupApprovedTarget& target = *selected->finding.approved;
    // A value that could not be written leaves everything as it was; no error is shown, as in the startup window.
    if (actions.disabled ? seams_.approval.Enable(target) : seams_.approval.Disable(target))
        ReportUserAction(selected->finding, actions.disabled ? UserAction::Enabled : UserAction::Disabled);
    UpdateActions();
}

void FindingsWindow::DontShowAgain() {
    const HistoryFinding* selected = SelectedFinding();
    if (selected && IgnoreFinding(selected->finding)) ReloadRules();
}

void FindingsWindow::OpenLocation() {
    const std::optional<std::string> location = ActionsOfSelection().location;
    if (location) seams_.showInFolder(Handle(), *location);
}

void FindingsWindow::CopyRow() {
    const std::optional<size_t> row = SelectedRow();
    if (!row) return;
    const FindingCells& cells = table_.ShownCells(*row);
    std::string text = cells[0];
    for (size_t column = 1; column < cells.size(); ++column) text += '\t' + cells[column];
    (void)SetClipboardText(Handle(), text);
}

void FindingsWindow::Export() {
    const std::optional<std::string> path = seams_.askWhereToSave(
        Handle(), {Text(texts::kFindingsExportFilter), "*.csv", "csv", Text(texts::kFindingsExportName)});
    if (!path) return;
    if (WriteWholeFile(*path, CsvDocument(table_.ShownTable()))) return;
    const std::string reason = SystemErrorText(GetLastError());
    ShowMessageBox(Handle(), WithNameFor(Text(texts::kFindingsExportFailed), *path) + "\n\n" + reason,
                   Text(texts::kFindingsTitle), MB_OK | MB_ICONERROR);
}

void FindingsWindow::ContextMenu(HWND control, LPARAM at) {
    POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    const bool byKeyboard = at == -1;
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    if (control == Control(kFindingsList)) {
        if (!byKeyboard) {
            // The row under the pointer is the one acted on.
            LVHITTESTINFO hit{};
            hit.pt = point;
            ScreenToClient(control, &hit.pt);
            const int row = static_cast<int>(SendMessageW(control, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
            if (row < 0) return;
            SelectOnlyListRow(control, row);
            UpdateActions();
        }
        const Actions actions = ActionsOfSelection();
        if (!actions.copy) return;
        const auto item = [&](ControlId id, const std::string& text, bool enabled) {
            AppendMenuText(menu.get(), MF_STRING | (enabled ? 0 : MF_GRAYED), id, text);
        };
        item(kDisable, Text(actions.disabled ? texts::kFindingsEnable : texts::kFindingsDisable), actions.toggle);
        item(kDontShow, Text(texts::kFindingsDontShow), actions.ignoreLine.has_value());
        item(kOpenLocation, Text(texts::kFindingsOpenLocation), actions.location.has_value());
        AppendMenuText(menu.get(), MF_SEPARATOR, 0, "");
        item(kCopy, Text(texts::kFindingsCopy), true);
        item(kExport, Text(texts::kFindingsExport), read_);
    } else if (control == Control(kRulesList)) {
        if (SelectedListRows(control).empty()) return;
        AppendMenuText(menu.get(), MF_STRING | (RulesRemovable() ? 0 : MF_GRAYED), kRemove, Text(texts::kRulesRemove));
    } else {
        return;
    }
    if (byKeyboard) {
        // Under the focused row, or the list's corner where none is.
        const int row = static_cast<int>(SendMessageW(control, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        RECT box{LVIR_BOUNDS};
        if (row < 0 || !SendMessageW(control, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&box)))
            box = {};
        point = {box.left, box.bottom};
        ClientToScreen(control, &point);
    }
    const int command = static_cast<int>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                                        point.x, point.y, 0, Handle(), nullptr));
    Run(command);
}

void FindingsWindow::ReloadRules() {
    const HWND list = Control(kRulesList);
    const std::vector<std::string> policy =
        seams_.policyIgnoreLines ? seams_.policyIgnoreLines() : std::vector<std::string>();
    rules_ = ListIgnoreLines(ReadIgnoreLines(), policy);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t row = 0; row < rules_.size(); ++row) {
        const ListedIgnoreLine& rule = rules_[row];
        std::vector<std::string> cells(rule.fields.begin(), rule.fields.end());
        cells.resize(kRuleFields);
        std::string note;
        const auto addNote = [&note](const std::string& text) { note += (note.empty() ? "" : "; ") + text; };
        if (rule.isDefault) addNote(Text(texts::kRuleDefault));
        if (rule.byPolicy) addNote(Text(texts::kRuleByPolicy));
        if (!rule.notRule.empty()) addNote(WithNameFor(Text(texts::kRuleInvalid), rule.notRule));
        cells.push_back(note);
        InsertListRow(list, static_cast<int>(row), cells);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    EnableWindow(Control(kRemove), RulesRemovable());
}

bool FindingsWindow::RulesRemovable() const {
    for (const int row : SelectedListRows(Control(kRulesList)))
        if (static_cast<size_t>(row) < rules_.size() && !rules_[row].byPolicy) return true;
    return false;
}

void FindingsWindow::RemoveRules() {
    std::vector<std::string> lines;
    for (const int row : SelectedListRows(Control(kRulesList)))
        if (static_cast<size_t>(row) < rules_.size() && !rules_[row].byPolicy) lines.push_back(rules_[row].line);
    if (lines.empty()) return;
    (void)RemoveIgnoreLines(lines);
    ReloadRules();
    if (!IsWindowEnabled(Control(kRemove))) SetFocus(Control(kRulesList));
}

LRESULT FindingsWindow::Notify(const NMHDR& header, LPARAM lp) {
    const HWND findings = Control(kFindingsList);
    if (header.hwndFrom == findings) {
        switch (header.code) {
            case LVN_GETDISPINFOW: {
                if (!OnThisThreadsStack(reinterpret_cast<void*>(lp), sizeof(NMLVDISPINFOW))) return 0;
                LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lp)->item;
                if ((item.mask & LVIF_TEXT) && item.iItem >= 0 && static_cast<size_t>(item.iItem) < table_.ShownCount() &&
                    item.iSubItem >= 0 && static_cast<size_t>(item.iSubItem) < kFindingsColumnCount)
                    CopyToListBuffer(table_.ShownCells(static_cast<size_t>(item.iItem))[item.iSubItem], item.pszText,
                                     item.cchTextMax);
                return 0;
            }
            case LVN_COLUMNCLICK:
                if (OnThisThreadsStack(reinterpret_cast<void*>(lp), sizeof(NMLISTVIEW)))
                    SortBy(reinterpret_cast<NMLISTVIEW*>(lp)->iSubItem);
                return 0;
            case LVN_ITEMCHANGED:
            case LVN_ODSTATECHANGED:
                UpdateActions();
                return 0;
            case LVN_KEYDOWN:
                if (OnThisThreadsStack(reinterpret_cast<void*>(lp), sizeof(NMLVKEYDOWN)) &&
                    reinterpret_cast<NMLVKEYDOWN*>(lp)->wVKey == 'C' && GetKeyState(VK_CONTROL) < 0)
                    CopyRow();
                return 0;
            default:
                return 0;
        }
    }
    if (header.hwndFrom == Control(kRulesList) && header.code == LVN_ITEMCHANGED) {
        EnableWindow(Control(kRemove), RulesRemovable());
        return 0;
    }
    if (header.hwndFrom == Control(kTabs) && header.code == TCN_SELCHANGE) {
        ShowPage(SendMessageW(Control(kTabs), TCM_GETCURSEL, 0, 0) == 1 ? Page::Ignored : Page::Findings);
        return 0;
    }
    return 0;
}

LRESULT FindingsWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_NOTIFY: {
            // Only what the window's own controls send, from this thread: another process's pointer is never read.
            const auto* header = reinterpret_cast<const NMHDR*>(lp);
            if (!OnThisThreadsStack(header, sizeof(NMHDR)) || !header->hwndFrom || GetParent(header->hwndFrom) != Handle())
                return 0;
            return Notify(*header, lp);
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDCANCEL) {
                DestroyHandle();  // Esc
                return 0;
            }
            if (LOWORD(wp) == kSearch && HIWORD(wp) == EN_CHANGE) {
                if (!read_) return 0;  // applied once the history is read
                const long long selected = SelectedId();
                table_.SetFilter(WindowTextUtf8(Control(kSearch)));
                ShowRows(selected);
                return 0;
            }
            if (HIWORD(wp) == BN_CLICKED && reinterpret_cast<HWND>(lp) == Control(LOWORD(wp))) Run(LOWORD(wp));
            return 0;
        case WM_CONTEXTMENU:
            ContextMenu(reinterpret_cast<HWND>(wp), lp);
            return 0;
        case WM_NEXTDLGCTL: {
            // Tab, Shift+Tab and a label's letter, from the dialog keys, as a dialog moves its focus; a window
            // named by another program is not taken.
            const HWND focus = GetFocus();
            const HWND next = LOWORD(lp) ? reinterpret_cast<HWND>(wp)
                                         : GetNextDlgTabItem(Handle(), IsChild(Handle(), focus) ? focus : nullptr, wp != 0);
            if (!next || !IsChild(Handle(), next)) return 0;
            SetFocus(next);
            if (next == Control(kSearch)) SendMessageW(next, EM_SETSEL, 0, -1);
            return 0;
        }
        case WM_ACTIVATE:
            // The focus leaves with the window and comes back to where it was.
            if (LOWORD(wp) == WA_INACTIVE) {
                focus_ = GetFocus();
                return 0;
            }
            SetFocus(focus_ && IsChild(Handle(), focus_) && IsWindowVisible(focus_) ? focus_
                                                                                      : Control(kFindingsList));
            return 0;
        case WM_SIZE:
            Layout();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lp);
            if (!OnThisThreadsStack(limits, sizeof(MINMAXINFO))) return 0;
            RECT frame{0, 0, Scaled(kSmallestClient.cx), Scaled(kSmallestClient.cy)};
            AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_APPWINDOW);
            limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
            return 0;
        }
        case WM_DPICHANGED: {
            const auto* suggested = reinterpret_cast<const RECT*>(lp);
            if (OnThisThreadsStack(suggested, sizeof(RECT))) DpiChanged(HIWORD(wp), *suggested);
            return 0;
        }
        case WM_ERASEBKGND: {
            RECT client{};
            GetClientRect(Handle(), &client);
            FillRect(reinterpret_cast<HDC>(wp), &client, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        default:
            return Window::OnMessage(msg, wp, lp);
    }
}

void FindingsWindow::OnDestroyed() {
    // Closed by the user: the object goes after the message that closed it is done with it.
    PostToMainThread([generation = generation_] {
        if (OpenWindow() && OpenWindow()->generation_ == generation) OpenWindow().reset();
    });
}

}  // namespace

void ShowFindingsWindow(FindingsWindowSeams seams) {
    std::unique_ptr<FindingsWindow>& window = OpenWindow();
    if (window && window->Handle()) {
        window->BringToFront();
        return;
    }
    window.reset();  // closed, its object not yet gone
    window = std::make_unique<FindingsWindow>(std::move(seams));
    if (!window->Handle()) window.reset();
}

void AddToFindingsWindow(const std::vector<HistoryFinding>& recorded) {
    if (OpenWindow() && OpenWindow()->Handle()) OpenWindow()->Add(recorded);
}

void CloseFindingsWindow() { OpenWindow().reset(); }

HWND FindingsWindowHandle() { return OpenWindow() ? OpenWindow()->Handle() : nullptr; }

}  // namespace vigilo
