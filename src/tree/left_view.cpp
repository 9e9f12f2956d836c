#include "tree/left_view.h"

CLeftView::CLeftView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

CLeftView::~CLeftView() = default;

void CLeftView::OnInitialUpdate() {}
