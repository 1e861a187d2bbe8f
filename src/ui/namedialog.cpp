#include "ui/namedialog.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include "core/cp932.h"
#include "ranking/nameentry.h"
#include "ui/desktop.h"

QValidator::State RankingNameValidator::validate(QString &input, int &) const
{
    // A lone surrogate would reach the file as "?".
    return input.isValidUtf16() && isStorableRankingName(input.toStdString()) ? Acceptable
                                                                               : Invalid;
}

RankingNameDialog::RankingNameDialog(int place, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_edit(new QLineEdit(QString::fromUtf8(DefaultRankingName), this))
{
    setWindowTitle(QString::fromUtf8(RankingNameCaption));
    setWindowModality(Qt::ApplicationModal);

    const QFontMetrics metrics(font());
    const DialogUnits du{
        averageLetterWidth(metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"))),
        metrics.height()};

    auto *prompt = new QLabel(QString::fromStdString(rankingPrompt(place)), this);
    prompt->setTextFormat(Qt::PlainText);
    prompt->move(du.x(8), du.y(8));
    prompt->adjustSize();

    m_edit->setValidator(new RankingNameValidator(m_edit));
    m_edit->setGeometry(du.x(8), du.y(19), du.x(164), m_edit->sizeHint().height());
    m_edit->selectAll();

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(du.x(38), du.y(41), du.x(50), du.y(14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setGeometry(du.x(92), du.y(41), du.x(50), du.y(14));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(du.x(180), du.y(63));
    // Centred on the screen, frame and all, and kept within its free area.
    if (const QScreen *screen = this->screen()) {
        QRect frame(QPoint(), size().grownBy(expectedFrameMargins()));
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
    keepOnScreen(this);
}

QString RankingNameDialog::name() const
{
    return m_edit->text();
}

std::string askRankingName(int place, QWidget *parent)
{
    QPointer<RankingNameDialog> dialog = new RankingNameDialog(place, parent);
    const bool ok = dialog->exec() == QDialog::Accepted;
    // The dialog is gone if its parent was destroyed while it was open.
    std::string name = dialog && ok ? dialog->name().toStdString() : DefaultRankingName;
    delete dialog;
    return utf8ToCp932(name).value_or(*utf8ToCp932(DefaultRankingName));
}
