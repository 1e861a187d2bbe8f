#pragma once

#include <string>

#include <QDialog>
#include <QValidator>

class QLabel;
class SpokenNotice;
class QLineEdit;

// Lets into the name box only what the ranking file can hold as one line: a
// change keeps what fits of it (fitRankingNameChange), in the form the
// ranking will show. A change that has to be adjusted is refused, and the
// adjusted one offered instead (changeFitted), for the box to make as an edit
// of its own that Undo takes back. It remembers the name as the last change
// left it, to tell what a change put in.
class RankingNameValidator : public QValidator
{
    Q_OBJECT
public:
    explicit RankingNameValidator(const QString &name, QObject *parent = nullptr);
    State validate(QString &input, int &pos) const override;

signals:
    // After a change taken as it was, or one refused whole: what it could
    // not keep, for the player; empty when it kept everything.
    void hintChanged(const QString &hint) const;
    // The name the refused change comes to, the cursor after what it kept,
    // and the hint.
    void changeFitted(const QString &name, int cursor, const QString &hint) const;

private:
    mutable QString m_name;
};

// The modal dialog that asks the name for a place in the ranking.
class RankingNameDialog : public QDialog
{
    Q_OBJECT
public:
    // A screen reader says the spoken words with the dialog's caption (the
    // race's time, which the dialog does not show).
    explicit RankingNameDialog(int place, QWidget *parent = nullptr, const QString &spokenWords = {});

    // The name as typed, UTF-8.
    QString name() const;

private:
    void showHint(const QString &hint);
    void makeFittedChange(const QString &name, int cursor, const QString &hint);

    QLineEdit *m_edit;
    QLabel *m_hint;
    SpokenNotice *m_notice;
};

// Shows the name dialog for a place (1..10) and waits for it. Returns the
// typed name (possibly empty) on OK and "名前なし" on Cancel, Esc, the close
// box or the program ending meanwhile, as code page 932 bytes.
std::string askRankingName(int place, QWidget *parent = nullptr, const QString &spokenWords = {});
