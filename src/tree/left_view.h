// The left pane: the tree of the image's disks, each with its record header, its volume and
// the volume's 1692 sectors. Selecting an item makes the list show it.
#pragma once

#include <QWidget>
#include <functional>

#include "framework/command_target.h"

class CBrindleDoc;
class CBrindleView;

class CLeftView : public QWidget, public framework::CCmdTarget {
    Q_OBJECT
public:
    explicit CLeftView(QWidget* parent = nullptr);
    ~CLeftView() override;

    void SetDocument(CBrindleDoc* document) { m_document = document; }
    [[nodiscard]] CBrindleDoc* GetDocument() const { return m_document; }
    // How the tree reaches the list view (the main frame's GetListView).
    void SetListViewProvider(std::function<CBrindleView*()> provider) {
        m_listView = std::move(provider);
    }

    // Called after every New and Open: rebuilds from the document and selects the first disk.
    virtual void OnInitialUpdate();

protected:
    [[nodiscard]] CBrindleView* GetListView() const { return m_listView ? m_listView() : nullptr; }

private:
    CBrindleDoc* m_document = nullptr;
    std::function<CBrindleView*()> m_listView;
};
