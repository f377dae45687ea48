#include "widgets/Translations.h"

#include "text/TextForms.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include <string>

namespace tavrel {

namespace {

constexpr const char* CoreContext = "core";

// The core's texts as it shows them; %1, %2 stand where it fills in a name or a number.
// lupdate takes them from here into the English translation.
constexpr const char* CoreTexts[] = {
    // Message box captions.
    QT_TRANSLATE_NOOP("core", "警告"),
    QT_TRANSLATE_NOOP("core", "エラー"),
    QT_TRANSLATE_NOOP("core", "情報"),
    QT_TRANSLATE_NOOP("core", "確認"),
    // The card's set-up.
    QT_TRANSLATE_NOOP("core", "A/D カード検出エラー"),
    QT_TRANSLATE_NOOP("core", "A/D変換チャンネル設定エラー"),
    QT_TRANSLATE_NOOP("core", "サンプリング周期設定エラー"),
    QT_TRANSLATE_NOOP("core", "リングバッファ初期化エラー"),
    QT_TRANSLATE_NOOP("core", "リングバッファモード変換開始エラー"),
    // The parameter checks.
    QT_TRANSLATE_NOOP("core", "バースト／サンプリング時間間隔は整数で設定して下さい。"),
    QT_TRANSLATE_NOOP("core", "コメントにShift-JISで表せない文字が含まれています。"),
    QT_TRANSLATE_NOOP("core", "チャンネル%1の項目名にShift-JISで表せない文字が含まれています。"),
    QT_TRANSLATE_NOOP("core", "チャンネル%1の単位にShift-JISで表せない文字が含まれています。"),
    QT_TRANSLATE_NOOP("core",
                      "チャンネル%1の係数%2は-3.402823E38～3.402823E38の範囲で設定して下さい。"),
    QT_TRANSLATE_NOOP("core", "チャンネル数は1～%1の整数で設定して下さい。"),
    QT_TRANSLATE_NOOP("core", "データ数は1以上の整数で設定して下さい。"),
    QT_TRANSLATE_NOOP("core", "サンプリング時間間隔は1～%1の整数で設定して下さい。"),
    QT_TRANSLATE_NOOP("core", "サンプリング時間間隔の単位は sec、msec、usec から選択して下さい。"),
    QT_TRANSLATE_NOOP("core", "バースト回数は1～%1の整数で設定して下さい。"),
    QT_TRANSLATE_NOOP("core", "バースト時間間隔の単位は sec、min、hr から選択して下さい。"),
    QT_TRANSLATE_NOOP("core", "バースト時間間隔は0～%1 %2の整数で設定して下さい。"),
    QT_TRANSLATE_NOOP("core", "データ数×チャンネル数は%1以下で設定して下さい。"),
    QT_TRANSLATE_NOOP("core", "sdfファイルが上限の%1バイトを超えます。データ数、チャンネル数または"
                              "バースト回数を減らして下さい。"),
    QT_TRANSLATE_NOOP("core",
                      "メモリが不足しています。データ数またはチャンネル数を減らして下さい。"),
    // The measurement run.
    QT_TRANSLATE_NOOP("core", "同名のファイルが存在します。\n上書きしてよろしいですか。"),
    QT_TRANSLATE_NOOP("core", "計測待ち"),
    QT_TRANSLATE_NOOP("core", "開始まであと%1"),
    QT_TRANSLATE_NOOP("core", "%1回目の計測"),
    QT_TRANSLATE_NOOP("core", "%1回目の計測待ち"),
    QT_TRANSLATE_NOOP("core", "残り時間：%1"),
    QT_TRANSLATE_NOOP("core", "残り変換回数：%1"),
    QT_TRANSLATE_NOOP("core", "終了"),
    QT_TRANSLATE_NOOP("core", "変換終了"),
    QT_TRANSLATE_NOOP("core", "変換中止"),
    QT_TRANSLATE_NOOP("core", "停止"),
    QT_TRANSLATE_NOOP("core", "変換中"),
    QT_TRANSLATE_NOOP("core", "リングバッファオーバーフロー"),
    QT_TRANSLATE_NOOP("core", "リングバッファオーバーフロー!"),
    QT_TRANSLATE_NOOP("core", "変換終了[%1]"),
    QT_TRANSLATE_NOOP("core", "変換異常で終了"),
    // Data files.
    QT_TRANSLATE_NOOP("core", "フォーマットが違います。"),
    QT_TRANSLATE_NOOP("core", "データの形式が旧式です。更新してよろしいですか。"),
    QT_TRANSLATE_NOOP("core", "ただ今、データ形式の更新中．．．．"),
    QT_TRANSLATE_NOOP("core", "ただ今、tsd形式に変換中．．．．"),
    QT_TRANSLATE_NOOP("core", "ファイル「%1」を開けません。"),
    QT_TRANSLATE_NOOP("core", "ファイル「%1」を読み込めません。"),
    QT_TRANSLATE_NOOP("core", "ファイル「%1」に書き込めません。"),
    QT_TRANSLATE_NOOP("core", "ファイル「%1」が途中で終わっています。"),
    QT_TRANSLATE_NOOP("core", "チャンネル数・サンプル数・バースト数または時間単位が範囲外のため、"
                              "ファイル「%1」に書き込めません。"),
    QT_TRANSLATE_NOOP("core", "ファイル「%1」の大きさが上限（2147483647 バイト）を超えるため、"
                              "ブロックを書き込めません。"),
    QT_TRANSLATE_NOOP("core", "ファイル「%1」は一時ファイルと同じ名前のため更新できません。"),
    QT_TRANSLATE_NOOP("core", "ファイル「%1」は更新後の大きさが上限（2147483647 バイト）を超える"
                              "ため、更新できません。"),
    QT_TRANSLATE_NOOP("core", "チャンネル数・サンプル数または時間単位が範囲外のため、ファイル「%1」"
                              "に書き込めません。"),
    QT_TRANSLATE_NOOP("core", "ファイル %1 にデータブロックがありません。"),
    QT_TRANSLATE_NOOP("core", "ファイル %1 のデータブロックが途中で終わっています。"),
    QT_TRANSLATE_NOOP("core", "ファイル %1 のデータブロックが足りません。"),
    QT_TRANSLATE_NOOP("core", "ファイル %1 を置き換えられません。"),
    QT_TRANSLATE_NOOP("core",
                      "Shift-JIS で表せない文字があるため、ファイル「%1」に書き込めません。"),
    QT_TRANSLATE_NOOP("core", "チャンネル数が %1 のデータファイルからは計測パラメータを読み込めま"
                              "せん。チャンネル数は1～4です。"),
    // Safe recording.
    QT_TRANSLATE_NOOP("core", "ファイル「%1」は通常のファイルではありません。"),
    QT_TRANSLATE_NOOP("core", "ファイル「%1」は入力ファイルと同じです。"),
    QT_TRANSLATE_NOOP("core", "ファイル「%1」は他の計測が使用中です。"),
    QT_TRANSLATE_NOOP("core", "ファイル「%1」が計測中に削除または置き換えられました。"),
    QT_TRANSLATE_NOOP("core", "ディスクの空き容量（%1 バイト）がデータファイルの予定の大きさ（%2 "
                              "バイト）より少なくなっています。\n計測を開始してよろしいですか。"),
    QT_TRANSLATE_NOOP("core", "ディスクの空き容量（%1 バイト）がデータファイルの予定の大きさ（%2 "
                              "バイト）より少なくなっています。計測を開始するには --force を付けて"
                              "下さい。"),
    QT_TRANSLATE_NOOP("core", "ディスクがいっぱいになったため変換中止"),
    QT_TRANSLATE_NOOP("core",
                      "データファイルの内容がヘッダーと一致しません。修復してよろしいですか。"),
    QT_TRANSLATE_NOOP("core", "データファイルの形式は sdf、tsd から選択して下さい。"),
    // Export.
    QT_TRANSLATE_NOOP("core", "ただ今、書き出し中．．．．"),
    QT_TRANSLATE_NOOP("core", "ファイルにバーストがありません。"),
    QT_TRANSLATE_NOOP("core", "バースト %1 はありません（1～%2）。"),
    QT_TRANSLATE_NOOP("core", "ファイルにチャンネルがありません。"),
    QT_TRANSLATE_NOOP("core", "チャンネル %1 はありません（1～%2）。"),
    QT_TRANSLATE_NOOP("core", "サンプル範囲 %1～%2 はバーストの範囲（1～%3）を外れています。"),
    QT_TRANSLATE_NOOP("core", "書き出すデータがありません。"),
    QT_TRANSLATE_NOOP("core",
                      "サンプリング間隔 %1 はサンプリング周波数が整数のヘルツにならないため、"
                      "WAV に書き出せません。"),
    // Devices.
    QT_TRANSLATE_NOOP("core", "装置「%1」が見つかりません。"),
    QT_TRANSLATE_NOOP("core",
                      "装置「%1」のアナログチャンネルは %2 本です。チャンネル数 %3 では計測でき"
                      "ません。"),
    QT_TRANSLATE_NOOP("core", "サンプリング間隔 %1（%2）は装置「%3」では設定できません。\n近い設定"
                              "：%4"),
    QT_TRANSLATE_NOOP("core",
                      "サンプリング間隔 %1（%2）は装置「%3」では設定できません。\n設定できる"
                      "サンプリング周波数：%4"),
};

bool englishInstalled = false;
QPointer<QTranslator> installed;

} // namespace

bool SpeaksEnglish(const QLocale& locale) {
    return locale.language() == QLocale::English;
}

bool InstallTranslations(const QLocale& locale) {
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    englishInstalled = false;
    auto* translator = new QTranslator(QCoreApplication::instance());
    bool loaded = false;
    if (SpeaksEnglish(locale)) {
        // The program's texts are its Japanese source texts; Qt's own are English already.
        loaded = translator->load(QStringLiteral(":/i18n/tavrelrex_en.qm"));
        englishInstalled = loaded;
    } else {
        loaded = translator->load(QStringLiteral("qtbase_ja"),
                                  QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    }
    if (!loaded) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

QString CoreText(std::string_view text) {
    const QString original = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    // The Japanese program shows the core's texts exactly as they came.
    if (!englishInstalled)
        return original;
    const QByteArray utf8 = original.toUtf8();
    const QString whole = QCoreApplication::translate(CoreContext, utf8.constData());
    if (whole != original)
        return whole;
    const std::string_view utf8Text(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    for (const char* form : CoreTexts) {
        if (FormPlaces(form) == 0)
            continue;
        const auto parts = MatchForm(form, utf8Text);
        if (!parts)
            continue;
        const QString result = QCoreApplication::translate(CoreContext, form);
        if (result == QString::fromUtf8(form))
            return original;
        return QString::fromStdString(FillForm(result.toStdString(), *parts));
    }
    return original;
}

} // namespace tavrel
