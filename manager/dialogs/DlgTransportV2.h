// Copies one controller's whole data set (identity texts, 255 points,
// parameters) between a controller and a data file or an open window's data.
// Mode 1 reads the controller (or the window's data) into a file; mode 0
// writes a file (or the window's data) into the controller. A write is
// checked against the connected controller and confirmed first, and the
// message afterwards says what really happened.
//
//   CDlgTransportV2 dlg(parent);          // mode 1: controller into a file
//   dlg.SetMode(0);                       // or: a file into the controller
//   dlg.SetPath(path);                    // optional
//   dlg.SetComPort(port);                 // optional preset
//   dlg.DoModal();
#pragma once

#include "manager/dialogs/DlgTransportBase.h"

class CDlgTransportV2 : public CDlgTransportBase {
public:
    static constexpr BYTE kToFile = 1;
    static constexpr BYTE kToController = 0;

    explicit CDlgTransportV2(CWnd* pParent = nullptr);

    void SetMode(BYTE mode) { m_mode = mode; }
    // Data of an open window (not owned) to write or to save instead of a file.
    void SetProjectData(const ControllerData* data) { m_project = data; }
    void SetPath(const CString& path) { m_path = path; }
    CString GetPath() const { return m_path; }
    // Controller pairs that may take each other's data.
    CompatibleControllers& CompatiblePairs() { return m_pairs; }

protected:
    UINT CaptionId() const override;
    UINT PathLabelId() const override;
    bool ShowsBrowse() const override { return !(m_mode == kToController && m_project); }
    bool NeedsPath() const override { return true; }
    std::vector<ConnectionTreeItem> BuildTree() override;
    bool CheckPath() override;
    void OnBrowse() override;
    bool RunOnOpenConnection(CWnd* frame, int comPort) override;
    bool RunOnFreeNode(int comPort, int node, const CString& scannedName) override;

private:
    // The checks before a write; true to go on, with the data's K80.
    bool TransportConfirm(const CString& controller, const CString& robot, int mode, int& k80);
    bool TransportReadSourceSummary(CString& controller, CString& robot, int& k80, bool& readable);
    bool TransportReadToFile(CDataManager& manager, int node);
    bool TransportWriteFromFile(CDataManager& manager, int node);
    bool RunOperation(CDataManager& manager, int node);
    void ShowFailure(CDataManager& manager);
    CString WriteNote(int k80) const;

    BYTE m_mode = kToFile;
    const ControllerData* m_project = nullptr;
    CompatibleControllers m_pairs;
    // Why the last operation failed, so the message names the real cause.
    enum class Failure { None, Link, FileWrite, FileRead, PartlyWritten } m_failure = Failure::None;
};

// Whether two paths name the same file, compared as canonical paths (".."
// and symbolic links resolved), so a file is recognised under any spelling.
bool IsSameFilePath(const CString& a, const CString& b);
// Whether an open offline window shows this file.
bool IsFileOpenInWindow(const CString& path);
