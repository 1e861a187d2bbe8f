#include "ui/accessibility.h"

#include "ui/controls.h"
#include "ui/racewindow.h"
#include "ui/sidewindow.h"

#include <QAccessibleWidget>

#include <algorithm>

namespace {

enum class Order {
    TopToBottom, // a window: its sprites move sideways, so a line keeps the layout's order
    AlongRows,   // a bar: top to bottom, then left to right
};

// The child controls in the order a screen reader reads them. The layouts
// make controls in an order of their own (the toolbar's exit button comes
// second; the ranking's places, names and times column by column).
QList<QWidget *> readingOrder(const QWidget *container, Order order)
{
    QList<QWidget *> children;
    for (QObject *object : container->children()) {
        auto *child = qobject_cast<QWidget *>(object);
        if (child && !child->isWindow())
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
                if (button->isVisible() && gameWindowsTakeInput())
                    emit button->clicked();
            },
            Qt::QueuedConnection);
    }

    QStringList keyBindingsForAction(const QString &action) const override
    {
        QStringList bindings;
        if (action == pressAction()) {
            for (const QKeySequence &key : picture()->keys())
                bindings << key.toString(QKeySequence::PortableText);
        }
        return bindings;
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
    if (className == QLatin1String(FlatPanel::staticMetaObject.className()))
        return new AccessibleContainer(widget, QAccessible::Pane, Order::AlongRows);
    if (className == QLatin1String(RaceWindow::staticMetaObject.className())
        || className == QLatin1String(SideWindow::staticMetaObject.className()))
        return new AccessibleContainer(widget, QAccessible::Window, Order::TopToBottom);
    return nullptr;
}

} // namespace

void installAccessibleInterfaces()
{
    QAccessible::installFactory(gameInterface);
}

void announceNameChange(QWidget *control)
{
    QAccessibleEvent event(control, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}
