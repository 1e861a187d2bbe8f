#include "ui/accessibility.h"

#include "ui/controls.h"
#include "ui/helpviewer.h"
#include "ui/racewindow.h"
#include "ui/sidewindow.h"

#include <QAccessibleWidget>
#include <QLineEdit>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>

namespace {

enum class Order {
    TopToBottom, // a window: its sprites move sideways, so a line keeps the layout's order
    AlongRows,   // a bar: top to bottom, then left to right
};

// The labels that a sunken box frames (a ranking row: place, name and time),
// left to right. A label belongs to the box its top-left corner lies in: a
// long name may run past the box's right edge.
QList<TextLabel *> framedLabels(const SunkenBox *box)
{
    QList<TextLabel *> labels;
    for (TextLabel *label : box->parentWidget()->findChildren<TextLabel *>(Qt::FindDirectChildrenOnly)) {
        if (box->geometry().contains(label->pos()))
            labels.append(label);
    }
    std::ranges::stable_sort(labels, {}, [](const TextLabel *label) { return label->x(); });
    return labels;
}

// The sunken box that frames a label, if any.
SunkenBox *framingBox(const QWidget *control)
{
    if (!qobject_cast<const TextLabel *>(control))
        return nullptr;
    for (SunkenBox *box : control->parentWidget()->findChildren<SunkenBox *>(Qt::FindDirectChildrenOnly)) {
        if (box->geometry().contains(control->pos()))
            return box;
    }
    return nullptr;
}

// The child controls in the order a screen reader reads them. The layouts
// make controls in an order of their own (the toolbar's exit button comes
// second; the ranking's places, names and times column by column). A framed
// label is read with its box, not apart.
QList<QWidget *> readingOrder(const QWidget *container, Order order)
{
    QList<QWidget *> children;
    for (QObject *object : container->children()) {
        auto *child = qobject_cast<QWidget *>(object);
        if (child && !child->isWindow() && !framingBox(child))
            children.append(child);
    }
    std::ranges::stable_sort(children, [order](const QWidget *a, const QWidget *b) {
        if (a->y() != b->y())
            return a->y() < b->y();
        return order == Order::AlongRows && a->x() < b->x();
    });
    return children;
}

// A window (a frame named by its caption) or a panel (a pane, named where the
// window names it) with its controls in reading order.
class AccessibleContainer : public QAccessibleWidget
{
public:
    AccessibleContainer(QWidget *container, QAccessible::Role role, Order order)
        : QAccessibleWidget(container, role), m_order(order)
    {
    }

    int childCount() const override { return int(readingOrder(widget(), m_order).size()); }

    QAccessibleInterface *child(int index) const override
    {
        const QList<QWidget *> children = readingOrder(widget(), m_order);
        return index >= 0 && index < children.size() ? QAccessible::queryAccessibleInterface(children.at(index))
                                                     : nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return int(readingOrder(widget(), m_order).indexOf(qobject_cast<QWidget *>(child->object())));
    }

private:
    Order m_order;
};

// A picture with a hint is a push button named by its hint; one without is
// just a picture. Which it is, is asked each time: the interface can be made
// before the layout gives the hint.
class AccessiblePicture : public QAccessibleWidget
{
public:
    explicit AccessiblePicture(PictureBox *picture) : QAccessibleWidget(picture) {}

    QAccessible::Role role() const override { return isButton() ? QAccessible::Button : QAccessible::Graphic; }

    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Name ? picture()->hint() : QAccessibleWidget::text(kind);
    }

    QStringList actionNames() const override { return isButton() ? QStringList{pressAction()} : QStringList(); }

    // As a click: the button's handler through its guard. It runs once the
    // client's call has returned, because a handler may open a modal box,
    // whose event loop must not hold up the client. A button out of sight or
    // behind a modal box does nothing, as under the pointer.
    void doAction(const QString &action) override
    {
        if (action != pressAction() || !isButton())
            return;
        PictureBox *button = picture();
        QMetaObject::invokeMethod(
            button,
            [button] {
                if (button->canBePressed())
                    emit button->clicked();
            },
            Qt::QueuedConnection);
    }

    // Screen readers read the binding as "mnemonic;path;accelerator" (Qt
    // joins the list with ";"): the button's keys are its accelerator.
    QStringList keyBindingsForAction(const QString &action) const override
    {
        QStringList keys;
        if (action == pressAction()) {
            for (const QKeySequence &key : picture()->keys())
                keys << key.toString(QKeySequence::PortableText);
        }
        if (keys.isEmpty())
            return {};
        return {QString(), QString(), keys.join(u' ')};
    }

private:
    PictureBox *picture() const { return static_cast<PictureBox *>(widget()); }
    bool isButton() const { return !picture()->hint().isEmpty(); }
};

// A label is static text named by its caption.
class AccessibleLabel : public QAccessibleWidget
{
public:
    explicit AccessibleLabel(TextLabel *label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Name ? static_cast<TextLabel *>(widget())->text()
                                         : QAccessibleWidget::text(kind);
    }
};

// A sunken box that frames labels is one line of static text: a ranking
// row reads "１位 P1 10.0秒" as one, so that each row is told apart.
class AccessibleFrame : public QAccessibleWidget
{
public:
    explicit AccessibleFrame(SunkenBox *box) : QAccessibleWidget(box) {}

    QAccessible::Role role() const override
    {
        return framedLabels(box()).isEmpty() ? QAccessible::Separator : QAccessible::StaticText;
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind != QAccessible::Name)
            return QAccessibleWidget::text(kind);
        QStringList texts;
        for (const TextLabel *label : framedLabels(box()))
            texts << label->text();
        return texts.join(u' ');
    }

private:
    SunkenBox *box() const { return static_cast<SunkenBox *>(widget()); }
};

// The help viewer's text is a document that a screen reader reads line by
// line as the caret moves (Qt's own interface makes read-only text a label,
// which is read whole). A line is a line as the viewer lays it out, and in
// a table the whole row: a key with what it does.
class AccessibleHelpText : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit AccessibleHelpText(QTextBrowser *browser) : QAccessibleWidget(browser, QAccessible::Document) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface *>(this)
                                                  : QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        state.focusable = true;
        return state;
    }

    QString text(int startOffset, int endOffset) const override
    {
        return plainText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(plainText().size()); }
    int cursorPosition() const override { return browser()->textCursor().position(); }
    void setCursorPosition(int position) override { select(position, position); }

    int selectionCount() const override { return browser()->textCursor().hasSelection() ? 1 : 0; }
    void selection(int index, int *startOffset, int *endOffset) const override
    {
        const QTextCursor cursor = browser()->textCursor();
        *startOffset = index == 0 && cursor.hasSelection() ? cursor.selectionStart() : 0;
        *endOffset = index == 0 && cursor.hasSelection() ? cursor.selectionEnd() : 0;
    }
    void addSelection(int startOffset, int endOffset) override { select(startOffset, endOffset); }
    void setSelection(int, int startOffset, int endOffset) override { select(startOffset, endOffset); }
    void removeSelection(int) override { setCursorPosition(cursorPosition()); }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        select(startIndex, endIndex);
        browser()->ensureCursorVisible();
    }

    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override
    {
        if (boundaryType != QAccessible::LineBoundary)
            return QAccessibleTextInterface::textAtOffset(offset, boundaryType, startOffset, endOffset);
        QTextCursor cursor(browser()->document());
        cursor.setPosition(std::clamp(offset, 0, characterCount()));
        if (const QTextTable *table = cursor.currentTable()) {
            const int row = table->cellAt(cursor).row();
            *startOffset = table->cellAt(row, 0).firstPosition();
            *endOffset = table->cellAt(row, table->columns() - 1).lastPosition();
            // The cells' breaks are single characters: the offsets still hold.
            return text(*startOffset, *endOffset).replace(u'\n', u' ');
        }
        cursor.movePosition(QTextCursor::StartOfLine);
        *startOffset = cursor.position();
        cursor.movePosition(QTextCursor::EndOfLine);
        *endOffset = cursor.position();
        return text(*startOffset, *endOffset);
    }

    QRect characterRect(int offset) const override
    {
        QTextCursor cursor(browser()->document());
        cursor.setPosition(std::clamp(offset, 0, characterCount()));
        const QRect rect = browser()->cursorRect(cursor);
        return QRect(browser()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return browser()->cursorForPosition(browser()->viewport()->mapFromGlobal(point)).position();
    }
    // No attributes: one run over the whole text.
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    QTextBrowser *browser() const { return static_cast<QTextBrowser *>(widget()); }
    QString plainText() const { return browser()->document()->toPlainText(); }
    void select(int startOffset, int endOffset)
    {
        QTextCursor cursor(browser()->document());
        cursor.setPosition(std::clamp(startOffset, 0, characterCount()));
        cursor.setPosition(std::clamp(endOffset, 0, characterCount()), QTextCursor::KeepAnchor);
        browser()->setTextCursor(cursor);
    }
};

// The name box. Qt's own interface for a line edit gives each character an
// attribute run of its own with no length, and Orca, which reads a line run
// by run, then leaves its last character out ("名前な" for "名前なし"): here
// the whole text is one run. Edits asked for by assistive technology go
// through the box's own editing, so its validator has its say.
class AccessibleLineEdit : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface
{
public:
    explicit AccessibleLineEdit(QLineEdit *edit) : QAccessibleWidget(edit, QAccessible::EditableText) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.readOnly = edit()->isReadOnly();
        state.selectableText = true;
        return state;
    }

    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Value ? edit()->text() : QAccessibleWidget::text(kind);
    }
    void setText(QAccessible::Text kind, const QString &text) override
    {
        if (kind == QAccessible::Value)
            replaceText(0, characterCount(), text);
        else
            QAccessibleWidget::setText(kind, text);
    }

    QString text(int startOffset, int endOffset) const override
    {
        return startOffset <= endOffset ? edit()->text().mid(startOffset, endOffset - startOffset) : QString();
    }
    int characterCount() const override { return int(edit()->text().size()); }
    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }

    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void selection(int index, int *startOffset, int *endOffset) const override
    {
        const bool selected = index == 0 && edit()->hasSelectedText();
        *startOffset = selected ? edit()->selectionStart() : 0;
        *endOffset = selected ? edit()->selectionEnd() : 0;
    }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void setSelection(int index, int startOffset, int endOffset) override
    {
        if (index == 0)
            edit()->setSelection(startOffset, endOffset - startOffset);
    }
    void removeSelection(int index) override
    {
        if (index == 0)
            edit()->deselect();
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        edit()->setCursorPosition(endIndex);
        edit()->setCursorPosition(startIndex);
    }

    // Measured from the cursor, whose rectangle the box keeps where the
    // scrolled text puts it.
    QRect characterRect(int offset) const override
    {
        const QString text = edit()->text();
        if (offset < 0 || offset >= text.size())
            return {};
        const QFontMetrics metrics(edit()->font());
        const int cursor = edit()->cursorPosition();
        const QRect cursorRect = edit()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const int x = cursorRect.x()
                      + (offset >= cursor ? metrics.horizontalAdvance(text.mid(cursor, offset - cursor))
                                          : -metrics.horizontalAdvance(text.mid(offset, cursor - offset)));
        const QRect rect(x, cursorRect.y(), metrics.horizontalAdvance(text.mid(offset, 1)), cursorRect.height());
        return rect.translated(edit()->mapToGlobal(QPoint()));
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return edit()->cursorPositionAt(edit()->mapFromGlobal(point));
    }
    // No attributes: one run over the whole text.
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

    void deleteText(int startOffset, int endOffset) override { replaceText(startOffset, endOffset, {}); }
    void insertText(int offset, const QString &text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        edit()->setSelection(startOffset, endOffset - startOffset);
        edit()->insert(text);
    }

private:
    QLineEdit *edit() const { return static_cast<QLineEdit *>(widget()); }
};

// Qt asks with the object's class name and then its base classes' names.
QAccessibleInterface *gameInterface(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (className == QLatin1String(PictureBox::staticMetaObject.className()))
        return new AccessiblePicture(static_cast<PictureBox *>(widget));
    if (className == QLatin1String(TextLabel::staticMetaObject.className()))
        return new AccessibleLabel(static_cast<TextLabel *>(widget));
    if (className == QLatin1String(SunkenBox::staticMetaObject.className()))
        return new AccessibleFrame(static_cast<SunkenBox *>(widget));
    if (className == QLatin1String(FlatPanel::staticMetaObject.className()))
        return new AccessibleContainer(widget, QAccessible::Pane, Order::AlongRows);
    if (className == QLatin1String(RaceWindow::staticMetaObject.className()))
        return new AccessibleContainer(widget, QAccessible::Window, Order::TopToBottom);
    if (className == QLatin1String(SideWindow::staticMetaObject.className()))
        return new AccessibleContainer(widget, QAccessible::AlertMessage, Order::AlongRows);
    // A window of its own, not a filler: the document is its child.
    if (className == QLatin1String(HelpViewer::staticMetaObject.className()))
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (className == QLatin1String(QTextBrowser::staticMetaObject.className())
        && qobject_cast<HelpViewer *>(widget->window()))
        return new AccessibleHelpText(static_cast<QTextBrowser *>(widget));
    if (className == QLatin1String(QLineEdit::staticMetaObject.className()))
        return new AccessibleLineEdit(static_cast<QLineEdit *>(widget));
    if (className == QLatin1String(Utterance::staticMetaObject.className()))
        return new QAccessibleWidget(widget, QAccessible::Notification);
    return nullptr;
}

} // namespace

void installAccessibleInterfaces()
{
    QAccessible::installFactory(gameInterface);
}

namespace {

void collectLines(QAccessibleInterface *node, QStringList &lines)
{
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface *child = node->child(i);
        if (!child)
            continue;
        if (child->role() == QAccessible::StaticText && !child->text(QAccessible::Name).isEmpty())
            lines << child->text(QAccessible::Name);
        else
            collectLines(child, lines);
    }
}

} // namespace

QStringList readableLines(QWidget *window)
{
    QStringList lines;
    if (QAccessibleInterface *frame = QAccessible::queryAccessibleInterface(window))
        collectLines(frame, lines);
    return lines;
}

void announceNameChange(QWidget *control)
{
    // A framed label's text is its box's name.
    SunkenBox *box = framingBox(control);
    QAccessibleEvent event(box ? box : control, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

Utterance::Utterance(QWidget *window) : QWidget(window)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 0, 0);
    hide();
}

void Utterance::say(const QString &text)
{
    setAccessibleName(text);
    // Showing is the notification's event; with no assistive technology
    // listening, Qt sends nothing.
    hide();
    show();
}

SpokenNotice::SpokenNotice(QWidget *window) : QObject(window)
{
    for (Utterance *&utterance : m_utterances)
        utterance = new Utterance(window);
    window->installEventFilter(this);
}

// What was said stays unsaid when the window shows again: a screen reader
// speaks a notification each time it is shown.
bool SpokenNotice::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Hide && watched == parent()) {
        for (Utterance *utterance : m_utterances)
            utterance->hide();
    }
    return QObject::eventFilter(watched, event);
}

void SpokenNotice::say(const QString &text)
{
    m_next = (m_next + 1) % int(m_utterances.size());
    m_utterances.at(m_next)->say(text);
}

QString SpokenNotice::lastSaid() const
{
    return m_utterances.at(m_next)->accessibleName();
}
