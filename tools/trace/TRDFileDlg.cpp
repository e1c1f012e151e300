#include "tools/trace/TRDFileDlg.h"

#include "tools/TraceText.h"
#include "tools/TrcDatFile.h"

#include "resources/tools/trdfile_ids.h"

#include "platform/core/File.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/Button.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

IMPLEMENT_DYNAMIC(CTRDFileDlg, CDialog)

namespace {

constexpr int kPreviewIds[CTRDFileDlg::kPreviewFields] = {
    IDC_TRDF_PREVIEW_TITLE, IDC_TRDF_PREVIEW_CONTROLLER, IDC_TRDF_PREVIEW_VERSION, IDC_TRDF_PREVIEW_ROBOT,
    IDC_TRDF_PREVIEW_CH1,   IDC_TRDF_PREVIEW_CH2,        IDC_TRDF_PREVIEW_CH3,     IDC_TRDF_PREVIEW_CH4};

// List entries: files carry 0, folders 1.
constexpr DWORD_PTR kFileEntry = 0;
constexpr DWORD_PTR kFolderEntry = 1;

std::filesystem::path PathOf(const CString& text) { return std::filesystem::path(text.ToUtf8()); }
CString TextOf(const std::filesystem::path& path) { return CString::FromUtf8(path.string()); }

bool IsFolder(const CString& path)
{
    std::error_code error;
    return !path.IsEmpty() && std::filesystem::is_directory(PathOf(path), error);
}

bool IsFile(const CString& path)
{
    std::error_code error;
    return !path.IsEmpty() && std::filesystem::is_regular_file(PathOf(path), error);
}

char16_t Folded(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

// "*" and "?" wildcards, without regard to the case of Latin letters.
bool WildcardMatch(const char16_t* pattern, const char16_t* text)
{
    const char16_t* star = nullptr;
    const char16_t* resume = nullptr;
    while (*text) {
        if (*pattern == u'*') {
            star = pattern++;
            resume = text;
        } else if (*pattern == u'?' || (*pattern && Folded(*pattern) == Folded(*text))) {
            ++pattern;
            ++text;
        } else if (star) {
            pattern = star + 1;
            text = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == u'*') ++pattern;
    return *pattern == 0;
}

CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CTRDFileDlg, CDialog)
    ON_BN_CLICKED(IDC_TRDF_UP, &CTRDFileDlg::OnUp)
    ON_LBN_SELCHANGE(IDC_TRDF_LIST, &CTRDFileDlg::OnSelChangeList)
    ON_LBN_DBLCLK(IDC_TRDF_LIST, &CTRDFileDlg::OnDblClkList)
    ON_EN_CHANGE(IDC_TRDF_NAME, &CTRDFileDlg::OnChangeName)
    ON_CBN_SELCHANGE(IDC_TRDF_TYPE, &CTRDFileDlg::OnSelChangeType)
END_MESSAGE_MAP()

CTRDFileDlg::CTRDFileDlg(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName, DWORD dwFlags,
                         LPCTSTR lpszFilter, CWnd* pOwner, BOOL bLock)
    : CDialog(IDD_TRD_FILE, pOwner),
      m_bLock(bLock),
      m_bOpen(bOpenFileDialog),
      m_strDefExt(lpszDefExt ? lpszDefExt : u""),
      m_dwFlags(dwFlags),
      m_pOwner(pOwner)
{
    // "Description|patterns|...||": pairs until an empty description.
    const CString filter = lpszFilter ? lpszFilter : u"";
    int start = 0;
    while (start < filter.GetLength()) {
        const int bar = filter.Find(u'|', start);
        if (bar <= start) break;
        int end = filter.Find(u'|', bar + 1);
        if (end < 0) end = filter.GetLength();
        m_filters.emplace_back(filter.Mid(start, bar - start), filter.Mid(bar + 1, end - bar - 1));
        start = end + 1;
    }
    if (m_filters.empty()) m_filters.emplace_back(CString(u"*.*"), CString(u"*.*"));

    // The folder of a given path is where the dialog starts.
    const CString given = lpszFileName ? lpszFileName : u"";
    const std::filesystem::path path = PathOf(given);
    if (!given.IsEmpty() && path.has_parent_path() && IsFolder(TextOf(path.parent_path()))) {
        m_strFolder = TextOf(path.parent_path());
        m_strInitialName = TextOf(path.filename());
    } else {
        m_strInitialName = given;
    }
    if (m_strFolder.IsEmpty()) {
        std::error_code error;
        m_strFolder = TextOf(std::filesystem::current_path(error));
    }
    // A pattern is no name.
    if (m_strInitialName.Find(u'*') >= 0 || m_strInitialName.Find(u'?') >= 0) m_strInitialName.Empty();
}

CString CTRDFileDlg::GetFileName() const { return FileNameOfPath(m_strPath); }

CString CTRDFileDlg::GetFileTitle() const
{
    const CString name = GetFileName();
    const int dot = name.ReverseFind(u'.');
    return dot <= 0 ? name : name.Left(dot);
}

void CTRDFileDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TRDF_FOLDER, m_editFolder);
    DDX_Control(pDX, IDC_TRDF_NAME, m_editName);
    DDX_Control(pDX, IDC_TRDF_LIST, m_list);
    DDX_Control(pDX, IDC_TRDF_TYPE, m_cmbType);
}

BOOL CTRDFileDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(LoadText(m_bOpen ? IDS_TRDF_OPEN_CAPTION : IDS_TRDF_SAVE_CAPTION));
    for (const auto& [description, patterns] : m_filters) m_cmbType.AddString(description);
    m_cmbType.SetCurSel(0);
    if (CWnd* box = GetDlgItem(IDC_TRDF_NEW_VIEWER)) {
        box->ShowWindow(m_bOpen ? SW_SHOW : SW_HIDE);
        if (m_bLock) m_bOpenInViewer = TRUE;
        CheckDlgButton(IDC_TRDF_NEW_VIEWER, m_bOpenInViewer ? BST_CHECKED : BST_UNCHECKED);
        box->EnableWindow(m_bOpen && !m_bLock);
    }
    for (int id : kPreviewIds) SetDlgItemText(id, u"");
    Navigate(m_strFolder);
    m_editName.SetWindowText(m_strInitialName);
    // Over the owner, inside the screen.
    CenterWindow(m_pOwner);
    m_editName.SetFocus();
    return FALSE;
}

void CTRDFileDlg::Navigate(const CString& strFolder)
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::weakly_canonical(PathOf(strFolder), error);
    m_strFolder = error ? strFolder : TextOf(folder);
    m_editFolder.SetWindowText(m_strFolder);
    FillList();
}

bool CTRDFileDlg::MatchesFilter(const CString& strName) const
{
    const int index = std::clamp(m_cmbType.GetSafeHwnd() ? m_cmbType.GetCurSel() : 0, 0,
                                 static_cast<int>(m_filters.size()) - 1);
    const CString& patterns = m_filters[static_cast<std::size_t>(index)].second;
    int start = 0;
    while (start <= patterns.GetLength()) {
        int end = patterns.Find(u';', start);
        if (end < 0) end = patterns.GetLength();
        CString pattern = patterns.Mid(start, end - start);
        pattern.Trim();
        // "*.*" names every file, also those without a full stop.
        if (pattern == u"*.*" || pattern == u"*") return true;
        if (!pattern.IsEmpty() && WildcardMatch(pattern.GetString(), strName.GetString())) return true;
        start = end + 1;
    }
    return false;
}

void CTRDFileDlg::FillList()
{
    m_list.ResetContent();
    std::vector<CString> folders;
    std::vector<CString> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(PathOf(m_strFolder), error), end; !error && it != end;
         it.increment(error)) {
        const CString name = TextOf(it->path().filename());
        if (name.IsEmpty() || name[0] == u'.') continue;
        std::error_code kind;
        if (it->is_directory(kind)) folders.push_back(name);
        else if (it->is_regular_file(kind) && MatchesFilter(name)) files.push_back(name);
    }
    auto byName = [](const CString& a, const CString& b) { return a.CompareNoCase(b) < 0; };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    const CString mark = LoadText(IDS_TRDF_FOLDER_MARK);
    for (const CString& folder : folders) {
        CString text;
        text.Format(mark.IsEmpty() ? CString(u"[%s]") : mark, folder.GetString());
        m_list.SetItemData(m_list.AddString(text), kFolderEntry);
    }
    for (const CString& file : files) m_list.SetItemData(m_list.AddString(file), kFileEntry);
    m_folderNames = folders;
}

void CTRDFileDlg::OnUp()
{
    const std::filesystem::path folder = PathOf(m_strFolder);
    if (folder.has_parent_path() && folder.parent_path() != folder) Navigate(TextOf(folder.parent_path()));
}

void CTRDFileDlg::OnSelChangeList()
{
    const int index = m_list.GetCurSel();
    if (index < 0) return;
    if (m_list.GetItemData(index) == kFolderEntry) {
        ShowPreview(CString());
        return;
    }
    CString name;
    m_list.GetText(index, name);
    // The name box follows the choice, and the preview follows the name box.
    m_editName.SetWindowText(name);
    ShowPreview(Resolve(name));
}

void CTRDFileDlg::OnDblClkList()
{
    const int index = m_list.GetCurSel();
    if (index < 0) return;
    if (m_list.GetItemData(index) == kFolderEntry) {
        const std::size_t folder = static_cast<std::size_t>(index);
        if (folder < m_folderNames.size()) Navigate(TextOf(PathOf(m_strFolder) / PathOf(m_folderNames[folder])));
        return;
    }
    OnOK();
}

void CTRDFileDlg::OnChangeName()
{
    CString name;
    m_editName.GetWindowText(name);
    ShowPreview(Resolve(name.Trim()));
}

void CTRDFileDlg::OnSelChangeType() { FillList(); }

CString CTRDFileDlg::Resolve(const CString& strName) const
{
    if (strName.IsEmpty()) return CString();
    const std::filesystem::path name = PathOf(strName);
    return name.is_absolute() ? strName : TextOf(PathOf(m_strFolder) / name);
}

void CTRDFileDlg::ShowPreview(const CString& strPath)
{
    if (strPath == m_strPreviewed && !strPath.IsEmpty()) return;
    m_strPreviewed = strPath;
    CString texts[kPreviewFields];
    if (IsFile(strPath) && ReadPreview(strPath, texts) == PreviewResult::NotTraceData) {
        for (CString& text : texts) text = u"ERROR";
    }
    for (int i = 0; i < kPreviewFields; ++i) SetDlgItemText(kPreviewIds[i], texts[i]);
}

CTRDFileDlg::PreviewResult CTRDFileDlg::ReadPreview(const CString& strPath, CString (&texts)[kPreviewFields])
{
    for (CString& text : texts) text.Empty();
    if (!IsFile(strPath)) return PreviewResult::Unreadable;
    CTrcDatFile in;
    if (!in.Open(strPath, CFile::modeRead | CFile::shareDenyWrite)) return PreviewResult::Unreadable;
    robconsettag robCon;
    tracesettag traceSet;
    TraceTriggerSettings trigSet;
    TraceGraphSettings graphSet;
    // Only the blocks before the samples: a preview never reads a whole trace.
    const bool read = in.ReadStartMark() && in.ReadControllerInfo(robCon) && in.ReadTraceSettings(traceSet) &&
                      in.ReadTriggerSettings(trigSet) && in.ReadGraphSettings(graphSet);
    in.Close();
    if (!read) return PreviewResult::NotTraceData;
    texts[kTitle] = graphSet.TITLE;
    texts[kController] = robCon.strController;
    texts[kVersion] = robCon.strVersion;
    texts[kRobot] = robCon.strRobot;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) texts[kLabel1 + ch] = graphSet.strLabel[ch];
    return PreviewResult::Read;
}

void CTRDFileDlg::OnOK()
{
    // Enter in the folder box goes there.
    if (CWnd::GetFocus() == &m_editFolder) {
        CString folder;
        m_editFolder.GetWindowText(folder);
        folder.Trim();
        if (IsFolder(folder)) {
            Navigate(folder);
            m_editName.SetFocus();
        } else {
            CString message;
            message.Format(LoadText(IDS_TRDF_NO_FOLDER), folder.GetString());
            AfxMessageBox(message, MB_OK | MB_ICONWARNING);
        }
        return;
    }
    CString name;
    m_editName.GetWindowText(name);
    name.Trim();
    if (name.IsEmpty()) return;
    CString path = Resolve(name);
    if (IsFolder(path)) {
        Navigate(path);
        m_editName.SetWindowText(u"");
        return;
    }
    // A name without an extension takes the default one, unless the file
    // exists as typed.
    const std::filesystem::path typed = PathOf(path);
    if (!m_strDefExt.IsEmpty() && !typed.has_extension() && !(m_bOpen && IsFile(path))) path += u"." + m_strDefExt;
    if (m_bOpen) {
        if ((m_dwFlags & OFN_FILEMUSTEXIST) && !IsFile(path)) {
            CString message;
            message.Format(LoadText(IDS_TRDF_NOT_FOUND), path.GetString());
            AfxMessageBox(message, MB_OK | MB_ICONWARNING);
            return;
        }
    } else {
        const CString folder = TextOf(PathOf(path).parent_path());
        if (!IsFolder(folder)) {
            CString message;
            message.Format(LoadText(IDS_TRDF_NO_FOLDER), folder.GetString());
            AfxMessageBox(message, MB_OK | MB_ICONWARNING);
            return;
        }
        if ((m_dwFlags & OFN_OVERWRITEPROMPT) && IsFile(path)) {
            CString message;
            message.Format(LoadText(IDS_TRDF_REPLACE_ASK), path.GetString());
            if (AfxMessageBox(message, MB_YESNO | MB_ICONWARNING) != IDYES) return;
        }
    }
    m_strPath = path;
    if (m_bOpen && !m_bLock) m_bOpenInViewer = IsDlgButtonChecked(IDC_TRDF_NEW_VIEWER) == BST_CHECKED;
    EndDialog(IDOK);
}
