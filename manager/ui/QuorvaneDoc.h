// The document of one controller window: it owns the window's controller
// data manager (its data, link and status poll), opens the link when a new
// online window is made, titles the window and closes the link at the end.
// Data files are read and written by the tree view, not here.
#pragma once

#include "manager/core/DataManager.h"
#include "platform/ui/Document.h"

class CQuorvaneDoc : public CDocument {
    DECLARE_DYNCREATE(CQuorvaneDoc)

public:
    CQuorvaneDoc();
    ~CQuorvaneDoc() override;

    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(LPCTSTR lpszPathName) override;
    void OnCloseDocument() override;
    // The tree asks its own questions before a window closes.
    BOOL SaveModified() override { return TRUE; }

    CDataManager& DataManager() { return m_dataManager; }

private:
    CDataManager m_dataManager;
};
