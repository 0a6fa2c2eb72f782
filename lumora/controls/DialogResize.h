#pragma once

#include <QDialog>
#include <QRect>
#include <vector>

namespace controls {

// One pair of a resize map: a control id with its layout flags, or -1 with a group mark or the end.
struct DlgResizeMapEntry {
    int id;
    unsigned flags;
};

// A control recorded by DlgResize_Init: id, flags (group size in bits 16-23 of a group's first
// member) and its rectangle in the dialog's client coordinates at initialisation.
struct AfxResizeData {
    int id = 0;
    unsigned flags = 0;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// A dialog whose controls move and stretch with its client area as its resize map says.
class CDialogResize : public QDialog {
public:
    enum : unsigned {
        SizeX = 0x01,
        SizeY = 0x02,
        MoveX = 0x04,
        MoveY = 0x08,
        Repaint = 0x10,
        BeginGroup = 0x1000,
        EndGroup = 0x2000,
    };
    enum eSizeType : unsigned { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };

    explicit CDialogResize(unsigned templateId, QWidget* parent = nullptr);
    ~CDialogResize() override;

    unsigned TemplateId() const { return m_templateId; }

    // The map of the dialog; the base map holds only the end pair.
    virtual const DlgResizeMapEntry* GetDlgResizeMap() const;

    // Records the controls of the map; throws std::invalid_argument for a group end without an
    // open, non-empty group.
    void DlgResize_Init();
    void DlgResize_UpdateLayout(int cx, int cy);
    void DlgResize_PositionControl(int cx, int cy, const QRect& group, const AfxResizeData& data,
                                   bool inGroup, int startOfNext);

    const std::vector<AfxResizeData>& ResizeData() const { return m_resizeData; }
    // The smallest client size the user can give the dialog; -1, -1 sets none.
    void DlgResize_SetMinTrackSize(int cx, int cy);

protected:
    // Size changes of the client area; the base lays out unless the dialog is minimised.
    virtual void OnSize(unsigned type, int cx, int cy);
    void resizeEvent(QResizeEvent* event) override;

    // The control's rectangle in the dialog's client coordinates.
    QRect ClientRect(const QWidget* control) const;

private:
    unsigned m_templateId;
    std::vector<AfxResizeData> m_resizeData;
    QSize m_clientSize{0, 0};
    QSize m_minTrackSize{-1, -1};
};

} // namespace controls
