#pragma once

#include "ui/art/artwork.h"
#include "ui/art/pictures.h"
#include "ui/controls.h"
#include "ui/errorbox.h"

#include <QCoreApplication>
#include <QString>

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <variant>

namespace layout_detail {

// Named where the compiler reports a picture that the artwork lacks.
void noSuchPictureInTheArtwork();

} // namespace layout_detail

// A picture of the artwork by its name ("runner0_a"), checked while compiling:
// a name that is not among the XPM pictures in src/ui/art stops the build.
class PictureName
{
public:
    constexpr PictureName() = default;
    consteval PictureName(const char *name) : m_name(name)
    {
        if (std::ranges::find(ArtworkPictures, m_name) == std::end(ArtworkPictures))
            layout_detail::noSuchPictureInTheArtwork();
    }
    constexpr std::string_view name() const { return m_name; } // empty: none

private:
    std::string_view m_name;
};

inline QPixmap artwork(PictureName picture)
{
    return bakedPicture(picture.name());
}

namespace layout_detail {

template <class>
struct MemberPointer;
template <class Class, class Type>
struct MemberPointer<Type Class::*>
{
    using Window = Class;
};

} // namespace layout_detail

// Where a window keeps a control of its layout: a member (slot<&W::trackStrip>)
// or one element of a member array (slot<&W::goalPoses, 2>).
template <auto member, int index = -1>
inline constexpr auto slot = +[](typename layout_detail::MemberPointer<decltype(member)>::Window &window) -> auto & {
    if constexpr (index < 0)
        return window.*member;
    else
        return std::get<index>(window.*member);
};

// A window's layout is a table: one row per control in creation order, so that
// later controls lie over earlier ones. A row names the control as the
// original layout did (its objectName), the window's member that receives it
// and its kind, and only the properties that apply to that kind.
template <class Window>
struct LayoutRow
{
    template <class Control>
    using Slot = Control *&(*)(Window &);
    using Control = std::variant<Slot<PictureBox>, Slot<TextLabel>, Slot<FlatPanel>, Slot<SunkenBox>>;

    const char *objectName;
    Control control;
    Slot<FlatPanel> parent = nullptr; // none: the window itself
    int left = 0;
    int top = 0;
    int width = 0; // labels size themselves to their text
    int height = 0;
    BgrColour colour = NoColour;         // a panel's
    const char *text = nullptr;          // a label's text, an image's hint
    const char *textContext = nullptr;   // its translation's context, if not the window class's
    LabelFont font = {};                 // a label's
    bool visible = true;
    void (Window::*handler)() = nullptr; // an image's click, a panel's pointer move
    PictureName picture = {};            // an image's picture
    bool stretched = false;              // an image scaled to fill its control
};

namespace layout_detail {

// A row's text in the player's language: the tables mark the texts to be
// translated with QT_TRANSLATE_NOOP in the window class's context, or in the
// row's own where the text comes from elsewhere (a runner's name).
template <class Window>
QString translatedText(const LayoutRow<Window> &row)
{
    if (!row.text)
        return {};
    return QCoreApplication::translate(row.textContext ? row.textContext : Window::staticMetaObject.className(),
                                       row.text);
}

// Qt calls the handler through the guard: an error goes to the error box.
template <class Window, class Sender, class Signal>
void connectHandler(Sender *sender, Signal signal, Window &window, void (Window::*handler)())
{
    QObject::connect(sender, signal, &window, [&window, handler] { guarded([&] { (window.*handler)(); }); });
}

template <class Window>
QWidget *create(PictureBox *&image, const LayoutRow<Window> &row, QWidget *parent, Window &window)
{
    image = new PictureBox(parent);
    image->setGeometry(row.left, row.top, row.width, row.height);
    image->setPicture(artwork(row.picture));
    image->setStretch(row.stretched);
    if (row.text)
        image->setHint(translatedText(row));
    if (row.handler)
        connectHandler(image, &PictureBox::clicked, window, row.handler);
    return image;
}

template <class Window>
QWidget *create(TextLabel *&label, const LayoutRow<Window> &row, QWidget *parent, Window &)
{
    label = new TextLabel(parent, row.font);
    label->move(row.left, row.top);
    label->setText(translatedText(row));
    return label;
}

template <class Window>
QWidget *create(FlatPanel *&panel, const LayoutRow<Window> &row, QWidget *parent, Window &window)
{
    panel = new FlatPanel(parent, row.colour);
    panel->setGeometry(row.left, row.top, row.width, row.height);
    if (row.handler) {
        // Moves without a button held are strides too.
        panel->setMouseTracking(true);
        connectHandler(panel, &FlatPanel::mouseMoved, window, row.handler);
    }
    return panel;
}

template <class Window>
QWidget *create(SunkenBox *&box, const LayoutRow<Window> &row, QWidget *parent, Window &)
{
    box = new SunkenBox(parent);
    box->setGeometry(row.left, row.top, row.width, row.height);
    return box;
}

} // namespace layout_detail

// Makes the window's controls from its layout table.
template <class Window>
void loadLayout(Window &window, std::span<const LayoutRow<Window>> rows)
{
    for (const LayoutRow<Window> &row : rows) {
        QWidget *parent = row.parent ? static_cast<QWidget *>(row.parent(window)) : &window;
        QWidget *widget = std::visit(
            [&](auto slot) { return layout_detail::create(slot(window), row, parent, window); }, row.control);
        widget->setObjectName(QLatin1String(row.objectName));
        widget->setVisible(row.visible);
    }
}

// Rows made per runner or per ranking place.

namespace layout_detail {

template <std::size_t size>
struct Literal
{
    char text[size];
    consteval Literal(const char (&literal)[size]) { std::ranges::copy(literal, text); }
    static constexpr std::size_t length = size - 1;
};

consteval std::size_t digitCount(int number)
{
    std::size_t digits = 1;
    for (; number >= 10; number /= 10)
        ++digits;
    return digits;
}

template <Literal prefix, int number, Literal suffix>
inline constexpr auto numberedText = [] {
    static_assert(number >= 0);
    constexpr std::size_t digits = digitCount(number);
    std::array<char, prefix.length + digits + suffix.length + 1> text = {};
    auto out = std::ranges::copy_n(prefix.text, prefix.length, text.begin()).out;
    for (std::size_t i = digits, rest = number; i-- > 0; rest /= 10)
        out[i] = char('0' + rest % 10);
    std::ranges::copy_n(suffix.text, suffix.length, out + digits);
    return text;
}();

template <class Window>
constexpr std::array<LayoutRow<Window>, 1> asRows(const LayoutRow<Window> &row)
{
    return {row};
}
template <class Window, std::size_t count>
constexpr std::array<LayoutRow<Window>, count> asRows(const std::array<LayoutRow<Window>, count> &rows)
{
    return rows;
}

} // namespace layout_detail

// A name with a number in it, made while compiling: numbered<"Bevel", 3> is
// "Bevel3", numbered<"runner", 2, "_goal"> is "runner2_goal".
template <layout_detail::Literal prefix, int number, layout_detail::Literal suffix = "">
inline constexpr const char *numbered = layout_detail::numberedText<prefix, number, suffix>.data();

// One table of the rows and arrays of rows given, in that order.
template <class First, class... Rest>
consteval auto layoutRows(const First &first, const Rest &...rest)
{
    using Row = typename decltype(layout_detail::asRows(first))::value_type;
    constexpr std::size_t count = (std::tuple_size_v<decltype(layout_detail::asRows(first))> + ...
                                   + std::tuple_size_v<decltype(layout_detail::asRows(rest))>);
    std::array<Row, count> rows = {};
    auto out = rows.begin();
    out = std::ranges::copy(layout_detail::asRows(first), out).out;
    ((out = std::ranges::copy(layout_detail::asRows(rest), out).out), ...);
    return rows;
}

// The rows that rowsOf(i) gives for i = first, first + 1, ... up to last - 1,
// in that order. i comes as a std::integral_constant, so that it can pick an
// element of a member array (slot<&W::portraits, i>).
template <int first, int last, class RowsOf>
consteval auto layoutRowsFor(RowsOf rowsOf)
{
    return [&]<int... i>(std::integer_sequence<int, i...>) {
        return layoutRows(rowsOf(std::integral_constant<int, first + i>())...);
    }(std::make_integer_sequence<int, last - first>());
}

// Whether every image of the rows has its picture.
template <class Window, std::size_t rowCount>
consteval bool everyImageHasAPicture(const std::array<LayoutRow<Window>, rowCount> &rows)
{
    return std::ranges::none_of(rows, [](const LayoutRow<Window> &row) {
        return std::holds_alternative<typename LayoutRow<Window>::template Slot<PictureBox>>(row.control)
               && row.picture.name().empty();
    });
}

// Whether the rows give every element of a member array its control, so that
// a runner or a ranking place added to an array cannot go without one.
// GCC cannot compare function addresses in a constant expression while
// UBSan keeps its null-pointer checks, so the sanitizer build leaves this
// check to the normal build.
template <auto member, class Window, std::size_t rowCount>
consteval bool fillsEveryElement([[maybe_unused]] const std::array<LayoutRow<Window>, rowCount> &rows)
{
#ifdef MILTA_UBSAN
    return true;
#else
    using Array = std::remove_cvref_t<decltype(std::declval<Window &>().*member)>;
    const auto receives = [&rows](typename LayoutRow<Window>::Control control) {
        return std::ranges::any_of(rows, [&](const LayoutRow<Window> &row) { return row.control == control; });
    };
    return [&]<std::size_t... i>(std::index_sequence<i...>) {
        return (receives(slot<member, int(i)>) && ...);
    }(std::make_index_sequence<std::tuple_size_v<Array>>());
#endif
}
