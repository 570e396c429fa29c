#pragma once

#include <QListWidget>

namespace tessavo::app {

// The category list. The user chooses a category with the left button on its entry (each
// click, also on the entry chosen before) or with a key that moves the selection; either emits
// chosen(). Getting the focus, the program's own changes of the entries and the other mouse
// buttons choose nothing, and the other buttons leave the selection alone (the right one
// opens the list's menu).
class CategoryList : public QListWidget {
    Q_OBJECT

public:
    using QListWidget::QListWidget;

signals:
    void chosen();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int rowAtPress_ = -1;
};

}  // namespace tessavo::app
