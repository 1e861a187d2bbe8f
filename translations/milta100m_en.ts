<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>ErrorBox</name>
    <message>
        <source>アプリケーション エラー</source>
        <translation>Application Error</translation>
    </message>
</context>
<context>
    <name>HelpViewer</name>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>ヘルプ ファイル %1 が見つかりません。</source>
        <translation>Help file %1 not found.</translation>
    </message>
    <message>
        <source>ヘルプ ファイル %1 を読み込めません。</source>
        <translation>Cannot read help file %1.</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>ファイル %1 は開けません</source>
        <translation>Cannot open file %1</translation>
    </message>
    <message>
        <source>ファイル %1 を作成できません</source>
        <translation>Cannot create file %1</translation>
    </message>
    <message>
        <source>ランキングが大きすぎるため ファイル %1 に保存できません</source>
        <translation>The ranking is too large to be saved in file %1</translation>
    </message>
    <message>
        <source>ファイル %1 を読み込めないため、上書きする前に写しを %2 に作ろうとしましたが、作成できません。%1 を別の場所に移すか、%2 を作れるようにすると、次のゴールから保存します。それまでランキングは保存されません</source>
        <translation>File %1 cannot be read, so before writing over it the game tried to keep a copy as %2, but cannot create it. Move %1 somewhere else, or let %2 be created, and the ranking is saved from the next finish on. Until then the ranking is not saved</translation>
    </message>
    <message>
        <source>&apos;%1&apos; は数値ではありません</source>
        <translation>&apos;%1&apos; is not a number</translation>
    </message>
    <message>
        <source>文字列の大きさが メモ の制限を越えました</source>
        <translation>The text is larger than the memo can hold</translation>
    </message>
    <message>
        <source>タイマーを取得できません</source>
        <translation>Not enough timers available</translation>
    </message>
    <message>
        <source>MCI デバイスがありません</source>
        <translation>No MCI device is open</translation>
    </message>
    <message>
        <source>ファイル %1 が見つかりません</source>
        <translation>File %1 not found</translation>
    </message>
    <message>
        <source>ファイル %1 を読み込めません</source>
        <translation>Cannot read file %1</translation>
    </message>
    <message>
        <source>ファイル %1 は空です</source>
        <translation>File %1 is empty</translation>
    </message>
    <message>
        <source>ファイル %1 は標準 MIDI ファイルではありません</source>
        <translation>File %1 is not a standard MIDI file</translation>
    </message>
    <message>
        <source>ファイル %1 の MIDI ヘッダーが壊れています</source>
        <translation>The MIDI header of file %1 is broken</translation>
    </message>
    <message>
        <source>ファイル %1 は再生できない形式の MIDI ファイルです</source>
        <translation>File %1 is a MIDI file of a format that cannot be played</translation>
    </message>
    <message>
        <source>ファイル %1 にはトラックがありません</source>
        <translation>File %1 has no tracks</translation>
    </message>
    <message>
        <source>ファイル %1 は途中で切れています</source>
        <translation>File %1 is cut short</translation>
    </message>
    <message>
        <source>このシステムの iconv はコード ページ 932 (%1) を変換できないため、ランキングの名前を読み書きできません。iconv の変換モジュール (glibc の gconv) を入れてください</source>
        <translation>This system&apos;s iconv cannot convert code page 932 (%1), so the ranking&apos;s names can be neither read nor written. Install iconv&apos;s conversion modules (glibc&apos;s gconv)</translation>
    </message>
    <message>
        <source>原因不明のエラー</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <source>%1.%2秒</source>
        <translation>%1.%2 s</translation>
    </message>
    <message>
        <source>%1です。名前を入力して下さい。</source>
        <translation>You are %1. Please enter your name.</translation>
    </message>
    <message>
        <source>「%1」は使えない文字です</source>
        <translation>&quot;%1&quot; cannot be used</translation>
    </message>
    <message>
        <source>&#x3000;</source>
        <extracomment>Between the hint of the characters left out and that of the limit.</extracomment>
        <translation>; </translation>
    </message>
    <message>
        <source>名前は全角%1文字、半角%2文字までです</source>
        <translation>a name holds %1 full-width or %2 half-width characters at most</translation>
    </message>
</context>
<context>
    <name>RaceWindow</name>
    <message>
        <source>この辺がゴール</source>
        <translation>Goal about here</translation>
    </message>
    <message>
        <source>キャラクター</source>
        <translation>Character</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>リトライ</source>
        <translation>Retry</translation>
    </message>
    <message>
        <source>ランキング</source>
        <translation>Ranking</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Ver情報</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>戻る</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>ミルタ100ｍ走</source>
        <translation>Milta 100m Dash</translation>
    </message>
    <message>
        <source>赤と青のパッドの上でマウスを左右に振って走者を走らせ、100mのタイムを競うゲームで、F1 キーでヘルプが開きます。</source>
        <translation>A game of running the 100 m for the best time: sweep the mouse left and right over the red and the blue pad to make your runner run. F1 opens the help.</translation>
    </message>
    <message>
        <source>赤いパッド</source>
        <translation>Red pad</translation>
    </message>
    <message>
        <source>青いパッド</source>
        <translation>Blue pad</translation>
    </message>
    <message>
        <source>音声案内 オン</source>
        <translation>Race by ear on</translation>
    </message>
    <message>
        <source>音声案内 オフ</source>
        <translation>Race by ear off</translation>
    </message>
    <message>
        <source>%1位に %2 を登録しました</source>
        <translation>%2 entered in place %1</translation>
    </message>
    <message>
        <source>%1 ランキング外です</source>
        <translation>%1, not in the ranking</translation>
    </message>
    <message>
        <source>%1が走ります</source>
        <translation>%1 runs</translation>
    </message>
    <message>
        <source>新しいレースの用意ができました</source>
        <translation>A new race is ready</translation>
    </message>
</context>
<context>
    <name>RankingNameDialog</name>
    <message>
        <source>ランキング名前入力</source>
        <translation>Ranking Name Entry</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>RankingWindow</name>
    <message>
        <source>１位</source>
        <translation>1st</translation>
    </message>
    <message>
        <source>２位</source>
        <translation>2nd</translation>
    </message>
    <message>
        <source>３位</source>
        <translation>3rd</translation>
    </message>
    <message>
        <source>４位</source>
        <translation>4th</translation>
    </message>
    <message>
        <source>５位</source>
        <translation>5th</translation>
    </message>
    <message>
        <source>６位</source>
        <translation>6th</translation>
    </message>
    <message>
        <source>７位</source>
        <translation>7th</translation>
    </message>
    <message>
        <source>８位</source>
        <translation>8th</translation>
    </message>
    <message>
        <source>９位</source>
        <translation>9th</translation>
    </message>
    <message>
        <source>10位</source>
        <translation>10th</translation>
    </message>
    <message>
        <source>ランキング</source>
        <translation>Ranking</translation>
    </message>
</context>
<context>
    <name>Runner</name>
    <message>
        <source>ポルカさん</source>
        <translation>Ms. Polka</translation>
    </message>
    <message>
        <source>嘆きの老人</source>
        <translation>The Lamenting Old Man</translation>
    </message>
    <message>
        <source>サスライの剣士</source>
        <translation>The Wandering Swordsman</translation>
    </message>
    <message>
        <source>ダイモン ゴロウ</source>
        <translation>Goro Daimon</translation>
    </message>
    <message>
        <source>ナギ先生</source>
        <translation>Master Nagi</translation>
    </message>
</context>
<context>
    <name>VersionWindow</name>
    <message>
        <source>ミルタ100ｍ走</source>
        <translation>Milta 100m</translation>
    </message>
    <message>
        <source>Ver．1.00</source>
        <translation>Ver. 1.00</translation>
    </message>
    <message>
        <source>Ver情報</source>
        <translation>Version</translation>
    </message>
</context>
</TS>
