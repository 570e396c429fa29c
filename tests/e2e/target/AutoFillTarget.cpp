// Another program on the desktop, as the auto-fill tests need one: a window titled
// "autofill-target" whose text field holds the keyboard focus. After every change the field's
// text goes to the file named by the first argument (UTF-8, replaced as a whole), so a test in
// another process reads exactly what arrived. Escape empties the field.
#include <QApplication>
#include <QLineEdit>
#include <QSaveFile>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWidget>

namespace {

void writeWhole(const QString& path, const QString& text) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text.toUtf8());
        file.commit();
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);

    QWidget window;
    window.setWindowTitle(QStringLiteral("autofill-target"));
    window.resize(400, 60);
    auto* field = new QLineEdit(&window);
    field->setObjectName(QStringLiteral("field"));
    (new QVBoxLayout(&window))->addWidget(field);
    QObject::connect(field, &QLineEdit::textChanged, [path](const QString& text) { writeWhole(path, text); });
    auto* clear = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    QObject::connect(clear, &QShortcut::activated, field, &QLineEdit::clear);

    writeWhole(path, QString());
    window.show();
    field->setFocus();
    return app.exec();
}
