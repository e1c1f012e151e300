// The right side of a controller window. The panes it shows (information,
// points, parameters) come with their own work; until then it is an empty
// pane with a line that says what to do.
#pragma once

#include "platform/ui/View.h"

class CRightpaneFormView : public CView {
    DECLARE_DYNCREATE(CRightpaneFormView)

public:
    void OnDraw(CDC* pDC) override;
};
