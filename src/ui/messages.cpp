#include "ui/messages.h"

#include "core/exception.h"
#include "ranking/nameentry.h"
#include "ui/rankingwindow.h"

#include <QCoreApplication>

namespace {

QString faultText(Fault fault)
{
    switch (fault) {
    case Fault::Unknown:
        break;
    case Fault::FileNotOpened:
        return QCoreApplication::translate("Messages", "ファイル %1 は開けません");
    case Fault::FileNotCreated:
        return QCoreApplication::translate("Messages", "ファイル %1 を作成できません");
    case Fault::RankingTooLarge:
        return QCoreApplication::translate("Messages", "ランキングが大きすぎるため ファイル %1 に保存できません");
    case Fault::BackupNotMade:
        return QCoreApplication::translate(
            "Messages", "ファイル %1 を読み込めないため、上書きする前に写しを %2 に作ろうとしましたが、作成できません。"
                        "%1 を別の場所に移すか、%2 を作れるようにすると、次のゴールから保存します。"
                        "それまでランキングは保存されません");
    case Fault::NotANumber:
        return QCoreApplication::translate("Messages", "'%1' は数値ではありません");
    case Fault::MemoFull:
        return QCoreApplication::translate("Messages", "文字列の大きさが メモ の制限を越えました");
    case Fault::TimerRefused:
        return QCoreApplication::translate("Messages", "タイマーを取得できません");
    case Fault::TuneNotOpen:
        return QCoreApplication::translate("Messages", "MCI デバイスがありません");
    case Fault::TuneMissing:
        return QCoreApplication::translate("Messages", "ファイル %1 が見つかりません");
    case Fault::TuneUnreadable:
        return QCoreApplication::translate("Messages", "ファイル %1 を読み込めません");
    case Fault::TuneEmpty:
        return QCoreApplication::translate("Messages", "ファイル %1 は空です");
    case Fault::TuneNotMidi:
        return QCoreApplication::translate("Messages", "ファイル %1 は標準 MIDI ファイルではありません");
    case Fault::TuneBadHeader:
        return QCoreApplication::translate("Messages", "ファイル %1 の MIDI ヘッダーが壊れています");
    case Fault::TuneUnplayable:
        return QCoreApplication::translate("Messages", "ファイル %1 は再生できない形式の MIDI ファイルです");
    case Fault::TuneWithoutTracks:
        return QCoreApplication::translate("Messages", "ファイル %1 にはトラックがありません");
    case Fault::TuneTruncated:
        return QCoreApplication::translate("Messages", "ファイル %1 は途中で切れています");
    case Fault::CodePageMissing:
        return QCoreApplication::translate(
            "Messages", "このシステムの iconv はコード ページ 932 (%1) を変換できないため、"
                        "ランキングの名前を読み書きできません。iconv の変換モジュール (glibc の gconv) を入れてください");
    }
    return QCoreApplication::translate("Messages", "原因不明のエラー");
}

} // namespace

QString errorMessage(const std::exception &error)
{
    const auto *gameError = dynamic_cast<const Exception *>(&error);
    if (!gameError)
        return QString::fromUtf8(error.what());
    QString text = faultText(gameError->fault());
    // Each value goes in whole: a "%2" in a file's name stays as it is.
    const std::vector<std::string> &values = gameError->values();
    if (values.size() == 1)
        return text.arg(QString::fromStdString(values[0]));
    if (values.size() == 2)
        return text.arg(QString::fromStdString(values[0]), QString::fromStdString(values[1]));
    return text;
}

QString timeCaption(const QString &seconds, const QString &tenths)
{
    return QCoreApplication::translate("Messages", "%1.%2秒").arg(seconds, tenths);
}

QString timeCaption(int seconds, int tenths)
{
    return timeCaption(QString::number(seconds), QString::number(tenths));
}

QString rankingPrompt(int place)
{
    return QCoreApplication::translate("Messages", "%1です。名前を入力して下さい。").arg(RankingWindow::placeCaption(place));
}

QString rankingNameHint(const FittedName &fitted)
{
    QString hint;
    if (!fitted.leftOut.empty())
        hint = QCoreApplication::translate("Messages", "「%1」は使えない文字です").arg(QString::fromStdString(fitted.leftOut));
    if (fitted.cutAtLimit) {
        if (!hint.isEmpty())
            //: Between the hint of the characters left out and that of the limit.
            hint += QCoreApplication::translate("Messages", "　");
        hint += QCoreApplication::translate("Messages", "名前は全角%1文字、半角%2文字までです")
                    .arg(QString::number(RankingNameMaxBytes / 2), QString::number(RankingNameMaxBytes));
    }
    return hint;
}
