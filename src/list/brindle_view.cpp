#include "list/brindle_view.h"

CBrindleView::CBrindleView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

CBrindleView::~CBrindleView() = default;

void CBrindleView::OnInitialUpdate() {}

void CBrindleView::ShowFiles(CMdosDisk*, int) {}

void CBrindleView::ShowRecordHeader(CMdosDisk*, int) {}

void CBrindleView::ShowProperties(CMdosDisk*, int) {}

void CBrindleView::ShowSector(CMdosDisk*, int, int) {}

void CBrindleView::SetListStyle(ListStyle style) {
    m_style = style;
}

void CBrindleView::ArrangeIcons() {}
