// The right pane: a list that shows what the tree selected, as a disk's files, its record
// header, its volume properties or a decimal dump of one sector.
#pragma once

#include <QWidget>

#include "framework/command_target.h"

class CBrindleDoc;
class CMdosDisk;

class CBrindleView : public QWidget, public framework::CCmdTarget {
    Q_OBJECT
public:
    // The four display styles of the main frame's list-style commands.
    enum class ListStyle { LargeIcon, SmallIcon, List, Details };

    explicit CBrindleView(QWidget* parent = nullptr);
    ~CBrindleView() override;

    void SetDocument(CBrindleDoc* document) { m_document = document; }
    [[nodiscard]] CBrindleDoc* GetDocument() const { return m_document; }

    // Called after every New and Open.
    virtual void OnInitialUpdate();

    void ShowFiles(CMdosDisk* disk, int diskIndex);
    void ShowRecordHeader(CMdosDisk* disk, int diskIndex);
    void ShowProperties(CMdosDisk* disk, int diskIndex);
    void ShowSector(CMdosDisk* disk, int diskIndex, int sector);

    void SetListStyle(ListStyle style);
    [[nodiscard]] ListStyle GetListStyle() const { return m_style; }
    // Arranges the icons on the grid (large and small icon styles).
    void ArrangeIcons();

private:
    CBrindleDoc* m_document = nullptr;
    ListStyle m_style = ListStyle::Details;
};
