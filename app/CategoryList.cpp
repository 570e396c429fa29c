#include "app/CategoryList.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace tessavo::app {
namespace {

// Only the left button selects; the others' events stop here.
bool leftButton(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) return true;
    event->accept();
    return false;
}

}  // namespace

// The press on an entry chooses it, also when it was chosen before. The second press of a
// double click comes as a double-click event and chooses nothing more.
void CategoryList::mousePressEvent(QMouseEvent* event) {
    if (!leftButton(event)) return;
    QListWidget::mousePressEvent(event);
    rowAtPress_ = currentRow();
    const QModelIndex pressed = indexAt(event->position().toPoint());
    if (pressed.isValid() && pressed == currentIndex()) emit chosen();
}

void CategoryList::mouseDoubleClickEvent(QMouseEvent* event) {
    if (leftButton(event)) QListWidget::mouseDoubleClickEvent(event);
}

// A drag with the left button held may have moved the selection to another entry.
void CategoryList::mouseReleaseEvent(QMouseEvent* event) {
    if (!leftButton(event)) return;
    QListWidget::mouseReleaseEvent(event);
    if (currentRow() >= 0 && currentRow() != rowAtPress_) {
        rowAtPress_ = currentRow();
        emit chosen();
    }
}

void CategoryList::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() >= 0 && currentRow() != before) emit chosen();
}

}  // namespace tessavo::app
