<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ja_JP">
<context>
    <name>cli</name>
    <message>
        <source>中止しました。ファイル「%1」は書き込んでいません。</source>
        <translation>Cancelled. The file “%1” was not written.</translation>
    </message>
    <message>
        <source>ファイル「%1」の末尾にある不完全なブロック %2 は変換しません。</source>
        <translation>The incomplete block %2 at the end of the file “%1” is not converted.</translation>
    </message>
    <message>
        <source>ファイル「%1」には %2 回のバーストのうち %3 回分のブロックがあります。tsd のバースト回数は %3 です。</source>
        <translation>The file “%1” holds the blocks of %3 of its %2 bursts. The tsd file&apos;s burst count is %3.</translation>
    </message>
    <message>
        <source>ファイル名：%1</source>
        <translation>File name: %1</translation>
    </message>
    <message>
        <source>保存形式：%1 バージョン %2</source>
        <translation>Format: %1 version %2</translation>
    </message>
    <message>
        <source>（旧形式。バージョン 1 の間隔は msec）</source>
        <translation> (old layout; version 1 intervals are in msec)</translation>
    </message>
    <message>
        <source>コメント：%1</source>
        <translation>Comment: %1</translation>
    </message>
    <message>
        <source>開始時刻：%1</source>
        <translation>Start time: %1</translation>
    </message>
    <message>
        <source>サンプリング間隔：%1</source>
        <translation>Sampling interval: %1</translation>
    </message>
    <message>
        <source>サンプリング個数：%1</source>
        <translation>Samples per channel: %1</translation>
    </message>
    <message>
        <source>バースト記録回数：%1</source>
        <translation>Bursts: %1</translation>
    </message>
    <message>
        <source>バースト時間間隔：%1</source>
        <translation>Burst interval: %1</translation>
    </message>
    <message>
        <source>チャンネル数：%1（付加チャンネル %2）</source>
        <translation>Channels: %1 (extra channels: %2)</translation>
    </message>
    <message>
        <source>ブロック数：%1</source>
        <translation>Blocks: %1</translation>
    </message>
    <message>
        <source>（末尾に不完全なブロックあり）</source>
        <translation> (an incomplete block follows at the end)</translation>
    </message>
    <message>
        <source>（付加）</source>
        <translation>(extra)</translation>
    </message>
    <message>
        <source>標準出力に書き込めません。</source>
        <translation>Cannot write to the standard output.</translation>
    </message>
    <message>
        <source>（%1）</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>[カード] %1</source>
        <translation>[card] %1</translation>
    </message>
    <message>
        <source>パラメータファイル %1 が見つかりません。</source>
        <translation>The parameter file %1 was not found.</translation>
    </message>
    <message>
        <source>パラメータファイル %1 を読み込めません。</source>
        <translation>Cannot read the parameter file %1.</translation>
    </message>
    <message>
        <source>パラメータファイルにデータファイル名がありません。</source>
        <translation>The parameter file names no data file.</translation>
    </message>
    <message>
        <source>データファイル %1 は既に存在します。上書きするには --force を付けて下さい。</source>
        <translation>The data file %1 already exists. Add --force to overwrite it.</translation>
    </message>
    <message>
        <source>計測を開始できませんでした。</source>
        <translation>The measurement could not be started.</translation>
    </message>
    <message>
        <source>%1: %2 バースト</source>
        <translation>%1: %2 bursts</translation>
    </message>
    <message>
        <source>ファイル「%1」はヘッダーとデータが一致しています。変更しませんでした。</source>
        <translation>The header and the data of the file “%1” agree. Nothing was changed.</translation>
    </message>
    <message>
        <source>ファイル「%1」を修復しました。バースト回数：%2 → %3</source>
        <translation>Repaired the file “%1”. Bursts: %2 → %3</translation>
    </message>
    <message>
        <source>、末尾の不完全なブロック %1 バイトを削除</source>
        <translation>, removed the incomplete block of %1 bytes at the end</translation>
    </message>
    <message>
        <source>ファイル「%1」の %2 行目がヘッダーの示すブロックの形と合いません。変更しませんでした。それでも修復するには --force を付けて下さい（元のファイルは残します）。</source>
        <translation>Line %2 of the file “%1” does not fit the blocks its header describes. Nothing was changed. To repair it anyway, add --force (the original is kept).</translation>
    </message>
    <message>
        <source>ファイル「%1」のヘッダーとデータが一致しません（バースト回数 %2、完全なブロック %3、残り %4 バイト）。不完全な最後のバーストとは確かめられないため、変更しませんでした。それでも修復するには --force を付けて下さい（元のファイルは残します）。</source>
        <translation>The header and the data of the file “%1” disagree (bursts %2, whole blocks %3, %4 bytes left over), and the rest cannot be shown to be an incomplete last burst. Nothing was changed. To repair it anyway, add --force (the original is kept).</translation>
    </message>
    <message>
        <source>元のファイルを「%1」として残しました。</source>
        <translation>Kept the original as “%1”.</translation>
    </message>
    <message>
        <source>--device には装置の名前を指定して下さい。</source>
        <translation>Give --device the name of a device.</translation>
    </message>
    <message>
        <source>サブコマンド「%1」はありません（%2）。</source>
        <translation>There is no subcommand “%1” (%2).</translation>
    </message>
    <message>
        <source>ファイル「%1」は既にバージョン %2 です。</source>
        <translation>The file “%1” is at version %2 already.</translation>
    </message>
    <message>
        <source>中止しました。ファイル「%1」は元のままです。</source>
        <translation>Cancelled. The file “%1” is unchanged.</translation>
    </message>
    <message>
        <source>ファイル「%1」をバージョン %2 からバージョン %3 に更新しました。</source>
        <translation>Updated the file “%1” from version %2 to version %3.</translation>
    </message>
    <message>
        <source>コマンドがありません。</source>
        <translation>No command was given.</translation>
    </message>
    <message>
        <source>「tavrelrex-cli devices」で一覧を表示できます。</source>
        <translation>“tavrelrex-cli devices” lists them.</translation>
    </message>
    <message>
        <source>出力ファイル「%1」の拡張子から形式が決まりません。--format csv|hdf5|wav を指定して下さい。</source>
        <translation>The extension of the output file “%1” names no format. Give --format csv|hdf5|wav.</translation>
    </message>
    <message>
        <source>--encoding は CSV の書き出しにだけ指定できます。</source>
        <translation>--encoding can be given only for a CSV export.</translation>
    </message>
    <message>
        <source>%1 の「%2」は番号の並び（例：1,3-5）ではありません。</source>
        <translation>“%2” of %1 is no list of numbers (such as 1,3-5).</translation>
    </message>
    <message>
        <source>ファイル「%1」は既に存在します。上書きするには --force を付けて下さい。</source>
        <translation>The file “%1” exists already. Give --force to overwrite it.</translation>
    </message>
    <message>
        <source>ファイル「%1」には %2 回のバーストのうち %3 回分のブロックしかありません。書き出したのは %3 回分です。</source>
        <translation>The file “%1” holds the blocks of %3 of its %2 bursts. %3 bursts were exported.</translation>
    </message>
    <message>
        <source>立ち上がり</source>
        <translation>rising</translation>
    </message>
    <message>
        <source>立ち下がり</source>
        <translation>falling</translation>
    </message>
    <message>
        <source>両方</source>
        <translation>either</translation>
    </message>
    <message>
        <source>トリガ：チャンネル %1、%2、レベル %3、ヒステリシス %4</source>
        <translation>Trigger: channel %1, %2, level %3, hysteresis %4</translation>
    </message>
    <message>
        <source>プリトリガ：%1 %、ホールドオフ：%2 秒、オートタイムアウト：%3 秒</source>
        <translation>Pre-trigger: %1 %, hold-off: %2 s, auto time-out: %3 s</translation>
    </message>
    <message>
        <source>  No.  トリガ時刻                    トリガ位置</source>
        <translation>  No.  Trigger time                  Trigger scan</translation>
    </message>
    <message>
        <source>タイムアウト</source>
        <translation>timed out</translation>
    </message>
</context>
<context>
    <name>core</name>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>エラー</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>情報</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>確認</source>
        <translation>Confirmation</translation>
    </message>
    <message>
        <source>A/D カード検出エラー</source>
        <translation>A/D card detection error</translation>
    </message>
    <message>
        <source>A/D変換チャンネル設定エラー</source>
        <translation>A/D channel setting error</translation>
    </message>
    <message>
        <source>サンプリング周期設定エラー</source>
        <translation>Sampling period setting error</translation>
    </message>
    <message>
        <source>リングバッファ初期化エラー</source>
        <translation>Ring buffer initialization error</translation>
    </message>
    <message>
        <source>リングバッファモード変換開始エラー</source>
        <translation>Error starting conversion in ring buffer mode</translation>
    </message>
    <message>
        <source>バースト／サンプリング時間間隔は整数で設定して下さい。</source>
        <translation>Enter the burst and sampling intervals as whole numbers.</translation>
    </message>
    <message>
        <source>コメントにShift-JISで表せない文字が含まれています。</source>
        <translation>The comment contains characters that Shift-JIS cannot represent.</translation>
    </message>
    <message>
        <source>チャンネル%1の項目名にShift-JISで表せない文字が含まれています。</source>
        <translation>The item name of channel %1 contains characters that Shift-JIS cannot represent.</translation>
    </message>
    <message>
        <source>チャンネル%1の単位にShift-JISで表せない文字が含まれています。</source>
        <translation>The unit of channel %1 contains characters that Shift-JIS cannot represent.</translation>
    </message>
    <message>
        <source>チャンネル%1の係数%2は-3.402823E38～3.402823E38の範囲で設定して下さい。</source>
        <translation>Coefficient %2 of channel %1 must be between -3.402823E38 and 3.402823E38.</translation>
    </message>
    <message>
        <source>チャンネル数は1～%1の整数で設定して下さい。</source>
        <translation>Enter a whole number from 1 to %1 as the number of channels.</translation>
    </message>
    <message>
        <source>データ数は1以上の整数で設定して下さい。</source>
        <translation>Enter a whole number of 1 or more as the number of samples.</translation>
    </message>
    <message>
        <source>サンプリング時間間隔は1～%1の整数で設定して下さい。</source>
        <translation>Enter a whole number from 1 to %1 as the sampling interval.</translation>
    </message>
    <message>
        <source>サンプリング時間間隔の単位は sec、msec、usec から選択して下さい。</source>
        <translation>Choose sec, msec or usec as the unit of the sampling interval.</translation>
    </message>
    <message>
        <source>バースト回数は1～%1の整数で設定して下さい。</source>
        <translation>Enter a whole number from 1 to %1 as the number of bursts.</translation>
    </message>
    <message>
        <source>バースト時間間隔の単位は sec、min、hr から選択して下さい。</source>
        <translation>Choose sec, min or hr as the unit of the burst interval.</translation>
    </message>
    <message>
        <source>バースト時間間隔は0～%1 %2の整数で設定して下さい。</source>
        <translation>Enter a whole number from 0 to %1 %2 as the burst interval.</translation>
    </message>
    <message>
        <source>データ数×チャンネル数は%1以下で設定して下さい。</source>
        <translation>Samples × channels must not exceed %1.</translation>
    </message>
    <message>
        <source>sdfファイルが上限の%1バイトを超えます。データ数、チャンネル数またはバースト回数を減らして下さい。</source>
        <translation>The sdf file would exceed its limit of %1 bytes. Reduce the number of samples, channels or bursts.</translation>
    </message>
    <message>
        <source>メモリが不足しています。データ数またはチャンネル数を減らして下さい。</source>
        <translation>Not enough memory. Reduce the number of samples or channels.</translation>
    </message>
    <message>
        <source>同名のファイルが存在します。
上書きしてよろしいですか。</source>
        <translation>A file with the same name already exists.
Do you want to overwrite it?</translation>
    </message>
    <message>
        <source>計測待ち</source>
        <translation>Waiting to start</translation>
    </message>
    <message>
        <source>開始まであと%1</source>
        <translation>Starts in %1</translation>
    </message>
    <message>
        <source>%1回目の計測</source>
        <translation>Burst %1 recording</translation>
    </message>
    <message>
        <source>%1回目の計測待ち</source>
        <translation>Waiting for burst %1</translation>
    </message>
    <message>
        <source>残り時間：%1</source>
        <translation>Time left: %1</translation>
    </message>
    <message>
        <source>残り変換回数：%1</source>
        <translation>Scans left: %1</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>変換終了</source>
        <translation>Finished</translation>
    </message>
    <message>
        <source>変換中止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>変換中</source>
        <translation>Converting</translation>
    </message>
    <message>
        <source>リングバッファオーバーフロー</source>
        <translation>Ring buffer overflow</translation>
    </message>
    <message>
        <source>リングバッファオーバーフロー!</source>
        <translation>Ring buffer overflow!</translation>
    </message>
    <message>
        <source>変換終了[%1]</source>
        <translation>Finished [%1]</translation>
    </message>
    <message>
        <source>変換異常で終了</source>
        <translation>Ended by a conversion fault</translation>
    </message>
    <message>
        <source>フォーマットが違います。</source>
        <translation>The file format is wrong.</translation>
    </message>
    <message>
        <source>データの形式が旧式です。更新してよろしいですか。</source>
        <translation>The data is in an old format. Do you want to update it?</translation>
    </message>
    <message>
        <source>ただ今、データ形式の更新中．．．．</source>
        <translation>Updating the data format...</translation>
    </message>
    <message>
        <source>ただ今、tsd形式に変換中．．．．</source>
        <translation>Converting to tsd format...</translation>
    </message>
    <message>
        <source>ファイル「%1」を開けません。</source>
        <translation>Cannot open the file “%1”.</translation>
    </message>
    <message>
        <source>ファイル「%1」を読み込めません。</source>
        <translation>Cannot read the file “%1”.</translation>
    </message>
    <message>
        <source>ファイル「%1」に書き込めません。</source>
        <translation>Cannot write to the file “%1”.</translation>
    </message>
    <message>
        <source>ファイル「%1」が途中で終わっています。</source>
        <translation>The file “%1” ends too early.</translation>
    </message>
    <message>
        <source>チャンネル数・サンプル数・バースト数または時間単位が範囲外のため、ファイル「%1」に書き込めません。</source>
        <translation>Cannot write to the file “%1”: the number of channels, samples or bursts, or the time unit, is out of range.</translation>
    </message>
    <message>
        <source>ファイル「%1」の大きさが上限（2147483647 バイト）を超えるため、ブロックを書き込めません。</source>
        <translation>Cannot write the block: the file “%1” would exceed the limit of 2147483647 bytes.</translation>
    </message>
    <message>
        <source>ファイル「%1」は一時ファイルと同じ名前のため更新できません。</source>
        <translation>Cannot update the file “%1”: it has the name of the temporary file.</translation>
    </message>
    <message>
        <source>ファイル「%1」は更新後の大きさが上限（2147483647 バイト）を超えるため、更新できません。</source>
        <translation>Cannot update the file “%1”: once updated it would exceed the limit of 2147483647 bytes.</translation>
    </message>
    <message>
        <source>チャンネル数・サンプル数または時間単位が範囲外のため、ファイル「%1」に書き込めません。</source>
        <translation>Cannot write to the file “%1”: the number of channels or samples, or the time unit, is out of range.</translation>
    </message>
    <message>
        <source>ファイル %1 にデータブロックがありません。</source>
        <translation>The file %1 has no data block.</translation>
    </message>
    <message>
        <source>ファイル %1 のデータブロックが途中で終わっています。</source>
        <translation>A data block of the file %1 ends too early.</translation>
    </message>
    <message>
        <source>ファイル %1 のデータブロックが足りません。</source>
        <translation>The file %1 is missing data blocks.</translation>
    </message>
    <message>
        <source>ファイル「%1」のバースト %2 の %3 行目に読めない値があります。</source>
        <translation>The file “%1” has a value that cannot be read in burst %2, line %3.</translation>
    </message>
    <message>
        <source>ファイル %1 を置き換えられません。</source>
        <translation>Cannot replace the file %1.</translation>
    </message>
    <message>
        <source>Shift-JIS で表せない文字があるため、ファイル「%1」に書き込めません。</source>
        <translation>Cannot write to the file “%1”: it contains characters that Shift-JIS cannot represent.</translation>
    </message>
    <message>
        <source>チャンネル数が %1 のデータファイルからは計測パラメータを読み込めません。チャンネル数は1～4です。</source>
        <translation>Cannot load measurement parameters from a data file with %1 channels. The number of channels is 1 to 4.</translation>
    </message>
    <message>
        <source>ファイル「%1」は通常のファイルではありません。</source>
        <translation>The file “%1” is not a regular file.</translation>
    </message>
    <message>
        <source>ファイル「%1」は入力ファイルと同じです。</source>
        <translation>The file “%1” is the input file itself.</translation>
    </message>
    <message>
        <source>ファイル「%1」は他の計測が使用中です。</source>
        <translation>The file “%1” is in use by another measurement.</translation>
    </message>
    <message>
        <source>ファイル「%1」が計測中に削除または置き換えられました。</source>
        <translation>The file “%1” was deleted or replaced during the measurement.</translation>
    </message>
    <message>
        <source>ディスクの空き容量（%1 バイト）がデータファイルの予定の大きさ（%2 バイト）より少なくなっています。
計測を開始してよろしいですか。</source>
        <translation>The free disk space (%1 bytes) is less than the planned size of the data file (%2 bytes).
Start the measurement?</translation>
    </message>
    <message>
        <source>ディスクがいっぱいになったため変換中止</source>
        <translation>Stopped: the disk is full</translation>
    </message>
    <message>
        <source>データファイルの内容がヘッダーと一致しません。修復してよろしいですか。</source>
        <translation>The data file’s contents do not match its header. Repair it?</translation>
    </message>
    <message>
        <source>ディスクの空き容量（%1 バイト）がデータファイルの予定の大きさ（%2 バイト）より少なくなっています。計測を開始するには --force を付けて下さい。</source>
        <translation>The free disk space (%1 bytes) is less than the planned size of the data file (%2 bytes). Add --force to start the measurement.</translation>
    </message>
    <message>
        <source>装置「%1」が見つかりません。</source>
        <translation>The device “%1” was not found.</translation>
    </message>
    <message>
        <source>装置「%1」のアナログチャンネルは %2 本です。チャンネル数 %3 では計測できません。</source>
        <translation>The device “%1” has %2 analog channels. It cannot measure %3 channels.</translation>
    </message>
    <message>
        <source>サンプリング間隔 %1（%2）は装置「%3」では設定できません。
設定できるサンプリング周波数：%4</source>
        <translation>The device “%3” cannot sample every %1 (%2).
Sampling rates it offers: %4</translation>
    </message>
    <message>
        <source>ただ今、書き出し中．．．．</source>
        <translation>Exporting....</translation>
    </message>
    <message>
        <source>ファイルにバーストがありません。</source>
        <translation>The file holds no bursts.</translation>
    </message>
    <message>
        <source>バースト %1 はありません（1～%2）。</source>
        <translation>There is no burst %1 (1 to %2).</translation>
    </message>
    <message>
        <source>ファイルにチャンネルがありません。</source>
        <translation>The file holds no channels.</translation>
    </message>
    <message>
        <source>チャンネル %1 はありません（1～%2）。</source>
        <translation>There is no channel %1 (1 to %2).</translation>
    </message>
    <message>
        <source>サンプル範囲 %1～%2 はバーストの範囲（1～%3）を外れています。</source>
        <translation>The sample range %1 to %2 lies outside the burst (1 to %3).</translation>
    </message>
    <message>
        <source>書き出すデータがありません。</source>
        <translation>There is no data to export.</translation>
    </message>
    <message>
        <source>サンプリング間隔 %1 はサンプリング周波数が整数のヘルツにならないため、WAV に書き出せません。</source>
        <translation>The sampling interval %1 gives no whole number of hertz, so it cannot be written as WAV.</translation>
    </message>
    <message>
        <source>データファイルの形式は sdf、tsd、hdf5 から選択して下さい。</source>
        <translation>Choose sdf, tsd or hdf5 as the data file format.</translation>
    </message>
    <message>
        <source>サンプリング間隔 %1（%2）は装置「%3」では設定できません。
近い設定：%4（%5）</source>
        <translation>The device “%3” cannot sample every %1 (%2).
Nearest setting: %4 (%5)</translation>
    </message>
    <message>
        <source>サンプリング間隔 %1（%2）は装置「%3」では設定できません。
近い設定：%4（%5）、%6（%7）</source>
        <translation>The device “%3” cannot sample every %1 (%2).
Nearest settings: %4 (%5), %6 (%7)</translation>
    </message>
    <message>
        <source>模擬カード %1</source>
        <translation>Simulated card %1</translation>
    </message>
    <message>
        <source>バースト %1 が2回指定されています。</source>
        <translation>Burst %1 is given twice.</translation>
    </message>
    <message>
        <source>チャンネル %1 が2回指定されています。</source>
        <translation>Channel %1 is given twice.</translation>
    </message>
    <message>
        <source>ファイル「%1」は既に存在します。
上書きしてよろしいですか。</source>
        <translation>The file “%1” exists already.
Overwrite it?</translation>
    </message>
    <message>
        <source>%1 回分のバーストをファイル「%2」に保存しました。</source>
        <translation>Saved %1 bursts in the file “%2”.</translation>
    </message>
    <message>
        <source>トリガで開始するバーストはsdfやtsdには記録できません。保存形式にhdf5を選んで下さい。</source>
        <translation>Bursts started by a trigger cannot be recorded in sdf or tsd. Choose hdf5 as the file format.</translation>
    </message>
    <message>
        <source>トリガのチャンネルは1～%1の、係数Aが0でないチャンネルを選んで下さい。</source>
        <translation>Choose a trigger channel from 1 to %1 whose coefficient A is not 0.</translation>
    </message>
    <message>
        <source>トリガのレベルは数値で設定して下さい。</source>
        <translation>Enter a number as the trigger level.</translation>
    </message>
    <message>
        <source>トリガのヒステリシスは0以上の数値で設定して下さい（空欄は既定値）。</source>
        <translation>Enter a number of 0 or more as the trigger hysteresis (empty: the default).</translation>
    </message>
    <message>
        <source>プリトリガは0～%1の整数（%）で設定して下さい。</source>
        <translation>Enter a whole number from 0 to %1 (%) as the pre-trigger share.</translation>
    </message>
    <message>
        <source>ホールドオフとオートタイムアウトは0以上の秒数で設定して下さい。</source>
        <translation>Enter 0 or more seconds as the hold-off and the auto time-out.</translation>
    </message>
    <message>
        <source>--trigger は CH:EDGE:LEVEL[:PRE] の形で指定して下さい（例 1:rising:0:20）。</source>
        <translation>Give --trigger as CH:EDGE:LEVEL[:PRE] (for example 1:rising:0:20).</translation>
    </message>
    <message>
        <source>トリガ待ち</source>
        <translation>Waiting for the trigger</translation>
    </message>
    <message>
        <source>記録済み：%1回</source>
        <translation>Recorded: %1</translation>
    </message>
    <message>
        <source>模擬カード %1（CH0にランダムな時刻のパルス）</source>
        <translation>Simulated card %1 (pulses at random times on CH0)</translation>
    </message>
    <message>
        <source>%1回目の計測：%2個の値を±32767 mVに切り詰め</source>
        <translation>Burst %1: %2 values clipped to ±32767 mV</translation>
    </message>
    <message>
        <source>変換終了（%1回目の%2個の値を±32767 mVに切り詰め）</source>
        <translation>Finished (burst %1: %2 values clipped to ±32767 mV)</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>予期しないエラーが発生しました。</source>
        <translation>An unexpected error occurred.</translation>
    </message>
    <message>
        <source>TavrelREX: A/D カードによるバースト計測と記録</source>
        <translation>TavrelREX: burst measurement and recording with an A/D card</translation>
    </message>
    <message>
        <source>バージョンを表示します。</source>
        <translation>Displays version information.</translation>
    </message>
    <message>
        <source>起動後に読み込むパラメータファイル (.apm, .sdf, .tsd)</source>
        <translation>Parameter file to load after start-up (.apm, .sdf, .tsd)</translation>
    </message>
    <message>
        <source>ファイルは一つだけです。</source>
        <translation>Give at most one file.</translation>
    </message>
    <message>
        <source>TavrelREX ビューア: 記録したデータファイルの表示</source>
        <translation>TavrelREX Viewer: shows recorded data files</translation>
    </message>
    <message>
        <source>表示するデータファイル (.sdf, .tsd, .h5)</source>
        <translation>Data file to show (.sdf, .tsd, .h5)</translation>
    </message>
</context>
<context>
    <name>tavrel::AboutBox</name>
    <message>
        <source>バージョン情報</source>
        <translation>About TavrelREX</translation>
    </message>
</context>
<context>
    <name>tavrel::BurstListModel</name>
    <message>
        <source>トリガ時刻</source>
        <translation>Trigger time</translation>
    </message>
    <message>
        <source>バースト</source>
        <translation>Burst</translation>
    </message>
    <message>
        <source>タイムアウト</source>
        <translation>Timed out</translation>
    </message>
</context>
<context>
    <name>tavrel::ChartPanel</name>
    <message>
        <source>時刻</source>
        <translation>Clock time</translation>
    </message>
    <message>
        <source>サンプル番号</source>
        <translation>Sample index</translation>
    </message>
    <message>
        <source>時間 [%1]</source>
        <translation>Time [%1]</translation>
    </message>
</context>
<context>
    <name>tavrel::EntryBinding</name>
    <message>
        <source>%1にShift-JISで表せない文字は入力できません。</source>
        <translation>Characters that Shift-JIS cannot represent cannot be entered in the %1.</translation>
    </message>
    <message>
        <source>コメント</source>
        <translation>comment</translation>
    </message>
    <message>
        <source>ファイル名</source>
        <translation>file name</translation>
    </message>
    <message>
        <source>チャンネル表</source>
        <translation>channel table</translation>
    </message>
    <message>
        <source>トリガ</source>
        <translation>trigger settings</translation>
    </message>
</context>
<context>
    <name>tavrel::ExportDialog</name>
    <message>
        <source>エクスポート</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>範囲</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>ファイル全体</source>
        <translation>Whole file</translation>
    </message>
    <message>
        <source>バーストを指定：</source>
        <translation>Bursts:</translation>
    </message>
    <message>
        <source>カーソル間（表示中のバースト）</source>
        <translation>Between the cursors (shown burst)</translation>
    </message>
    <message>
        <source>CSV（表計算・pandas）</source>
        <translation>CSV (spreadsheets, pandas)</translation>
    </message>
    <message>
        <source>HDF5（h5py・MATLAB）</source>
        <translation>HDF5 (h5py, MATLAB)</translation>
    </message>
    <message>
        <source>WAV（音響ツール）</source>
        <translation>WAV (audio tools)</translation>
    </message>
    <message>
        <source>形式：</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>UTF-8（BOM 付き）</source>
        <translation>UTF-8 (with BOM)</translation>
    </message>
    <message>
        <source>文字コード：</source>
        <translation>Encoding:</translation>
    </message>
    <message>
        <source>参照</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>出力ファイル：</source>
        <translation>Output file:</translation>
    </message>
    <message>
        <source>CSV ファイル (*.csv)|*.csv</source>
        <translation>CSV files (*.csv)|*.csv</translation>
    </message>
    <message>
        <source>HDF5 ファイル (*.h5)|*.h5;*.hdf5</source>
        <translation>HDF5 files (*.h5)|*.h5;*.hdf5</translation>
    </message>
    <message>
        <source>WAV ファイル (*.wav)|*.wav</source>
        <translation>WAV files (*.wav)|*.wav</translation>
    </message>
    <message>
        <source>バーストは 1,3-5 のように番号で指定してください。</source>
        <translation>Give the bursts as numbers, such as 1,3-5.</translation>
    </message>
    <message>
        <source>出力ファイルを指定してください。</source>
        <translation>Choose the output file.</translation>
    </message>
    <message>
        <source>チャンネル</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>書き出すファイル：</source>
        <translation>Files to write:</translation>
    </message>
    <message>
        <source>%1 … %2（%3 ファイル）</source>
        <translation>%1 … %2 (%3 files)</translation>
    </message>
    <message>
        <source>チャンネルを1つ以上選んでください。</source>
        <translation>Choose at least one channel.</translation>
    </message>
</context>
<context>
    <name>tavrel::HeaderPanel</name>
    <message>
        <source>ヘッダ</source>
        <translation>Header</translation>
    </message>
    <message>
        <source>保存形式：</source>
        <translation>File format:</translation>
    </message>
    <message>
        <source>コメント：</source>
        <translation>Comment:</translation>
    </message>
    <message>
        <source>開始時刻：</source>
        <translation>Start time:</translation>
    </message>
    <message>
        <source>サンプリング間隔：</source>
        <translation>Sampling interval:</translation>
    </message>
    <message>
        <source>サンプリング個数：</source>
        <translation>Samples:</translation>
    </message>
    <message>
        <source>バースト時間間隔：</source>
        <translation>Burst interval:</translation>
    </message>
    <message>
        <source>バースト数：</source>
        <translation>Bursts:</translation>
    </message>
    <message>
        <source>項目名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>単位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>sdf バージョン %1</source>
        <translation>sdf version %1</translation>
    </message>
    <message>
        <source>%1（ヘッダでは %2）</source>
        <translation>%1 (header: %2)</translation>
    </message>
    <message>
        <source>付加%1</source>
        <translation>Extra %1</translation>
    </message>
</context>
<context>
    <name>tavrel::HelpWindow</name>
    <message>
        <source>TavrelREX ヘルプ</source>
        <translation>TavrelREX Help</translation>
    </message>
    <message>
        <source>キーワード(&amp;W):</source>
        <translation>Key&amp;word:</translation>
    </message>
    <message>
        <source>&lt;p&gt;ヘルプファイルが見つかりません。&lt;/p&gt;&lt;p&gt;%1&lt;/p&gt;</source>
        <translation>&lt;p&gt;The help file cannot be found.&lt;/p&gt;&lt;p&gt;%1&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>tavrel::MainWindow</name>
    <message>
        <source>未変換</source>
        <translation>Not started</translation>
    </message>
    <message>
        <source>AD変換カードが入っていません。</source>
        <translation>No A/D conversion card is installed.</translation>
    </message>
    <message>
        <source>チャンネル数は1～4の整数で設定して下さい。</source>
        <translation>Enter a whole number from 1 to 4 as the number of channels.</translation>
    </message>
    <message>
        <source>時系列標準ファイル (*.sdf)|*.sdf</source>
        <translation>Standard time-series files (*.sdf)|*.sdf</translation>
    </message>
    <message>
        <source>時系列テキストファイル (*.tsd)|*.tsd</source>
        <translation>Time-series text files (*.tsd)|*.tsd</translation>
    </message>
    <message>
        <source>設定を保存せずに終了しますか。</source>
        <translation>Quit without saving the settings?</translation>
    </message>
    <message>
        <source>アプリケーションファイルが見つかりません。指定しますか。</source>
        <translation>The application file cannot be found. Do you want to choose it?</translation>
    </message>
    <message>
        <source>AD変換データ収集システム TavrelREX        </source>
        <translation>A/D Data Acquisition System TavrelREX        </translation>
    </message>
    <message>
        <source>模擬カード</source>
        <translation>Simulated card</translation>
    </message>
    <message>
        <source>装置「%1」が見つかりません。模擬カードで計測します。</source>
        <translation>Device &quot;%1&quot; was not found. The simulated card records.</translation>
    </message>
    <message>
        <source>ビューア（tavrelrex-view）が見つかりません。</source>
        <translation>The viewer (tavrelrex-view) cannot be found.</translation>
    </message>
    <message>
        <source>HDF5ファイル (*.h5)|*.h5;*.hdf5</source>
        <translation>HDF5 files (*.h5)|*.h5;*.hdf5</translation>
    </message>
    <message>
        <source>模擬カード（パルス）</source>
        <translation>Simulated card (pulses)</translation>
    </message>
    <message>
        <source>sdf・tsdは値を±32767 mVの整数で記録します。装置の分解能のまま記録するには、保存形式にhdf5を選んで下さい。</source>
        <translation>sdf and tsd keep whole millivolts within ±32767 mV. To record at the device&apos;s resolution, choose hdf5 as the file format.</translation>
    </message>
    <message>
        <source>各行の装置の入力：%1</source>
        <translation>Device input of each row: %1</translation>
    </message>
</context>
<context>
    <name>tavrel::MainWindowForm</name>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>計測パラメータの読込み(&amp;O)</source>
        <translation>&amp;Open Measurement Parameters...</translation>
    </message>
    <message>
        <source>計測パラメータの保存(&amp;S)</source>
        <translation>&amp;Save Measurement Parameters...</translation>
    </message>
    <message>
        <source>終了(&amp;Q)</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>データ解析(&amp;A)</source>
        <translation>&amp;Analysis</translation>
    </message>
    <message>
        <source>Vendraskの実行(&amp;E)</source>
        <translation>&amp;Run Vendrask</translation>
    </message>
    <message>
        <source>プログラムファイルの指定(&amp;A)</source>
        <translation>&amp;Assign Program File...</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>目次(&amp;C)</source>
        <translation>&amp;Contents</translation>
    </message>
    <message>
        <source>キーワード検索(&amp;K)</source>
        <translation>&amp;Keyword Search</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;V)</source>
        <translation>&amp;About TavrelREX</translation>
    </message>
    <message>
        <source>カード情報</source>
        <translation>Card</translation>
    </message>
    <message>
        <source>カードの種類：</source>
        <translation>Card type:</translation>
    </message>
    <message>
        <source>I/Oベースアドレス：</source>
        <translation>I/O base address:</translation>
    </message>
    <message>
        <source>IRQ番号：</source>
        <translation>IRQ number:</translation>
    </message>
    <message>
        <source>現在の状態：</source>
        <translation>Status:</translation>
    </message>
    <message>
        <source>計測ﾊﾟﾗﾒｰﾀ</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>計測待ち時間(sec):</source>
        <translation>Start delay (sec):</translation>
    </message>
    <message>
        <source>バースト記録回数：</source>
        <translation>Bursts:</translation>
    </message>
    <message>
        <source>バースト時間間隔：</source>
        <translation>Burst interval:</translation>
    </message>
    <message>
        <source>サンプリング間隔：</source>
        <translation>Sampling interval:</translation>
    </message>
    <message>
        <source>サンプリング個数：</source>
        <translation>Samples:</translation>
    </message>
    <message>
        <source>記録ﾁｬﾝﾈﾙ</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>チャンネル数：</source>
        <translation>Channels:</translation>
    </message>
    <message>
        <source>変換式：Y = AX + B</source>
        <translation>Scaling: Y = AX + B</translation>
    </message>
    <message>
        <source>項目名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>単位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>コメント：</source>
        <translation>Comment:</translation>
    </message>
    <message>
        <source>保存形式</source>
        <translation>File format</translation>
    </message>
    <message>
        <source>sdf （標準時系列データファイル）</source>
        <translation>sdf (standard time-series data file)</translation>
    </message>
    <message>
        <source>tsd （時系列テキストデータファイル）</source>
        <translation>tsd (time-series text data file)</translation>
    </message>
    <message>
        <source>ファイル名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>参照</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>計測開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>計測中止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>計測する装置：</source>
        <translation>Device:</translation>
    </message>
    <message>
        <source>ビューアで表示(&amp;V)</source>
        <translation>Show in &amp;Viewer</translation>
    </message>
    <message>
        <source>hdf5 （全分解能HDF5ファイル）</source>
        <translation>hdf5 (full-resolution HDF5 file)</translation>
    </message>
</context>
<context>
    <name>tavrel::MessageBoxes</name>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
</context>
<context>
    <name>tavrel::OverlayChooser</name>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>バースト %1</source>
        <translation>Burst %1</translation>
    </message>
</context>
<context>
    <name>tavrel::ProgressDialog</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>tavrel::StatisticsPanel</name>
    <message>
        <source>チャンネル</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>最小</source>
        <translation>Minimum</translation>
    </message>
    <message>
        <source>最大</source>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>平均</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>実効値</source>
        <translation>RMS</translation>
    </message>
    <message>
        <source>ピーク間</source>
        <translation>Peak-to-peak</translation>
    </message>
    <message>
        <source>サンプル数</source>
        <translation>Samples</translation>
    </message>
    <message>
        <source>カーソル1：%1 s&#x3000;カーソル2：%2 s&#x3000;Δt：%3 s（%4 サンプル）&#x3000;1/Δt：%5 Hz</source>
        <translation>Cursor 1: %1 s   Cursor 2: %2 s   Δt: %3 s (%4 samples)   1/Δt: %5 Hz</translation>
    </message>
    <message>
        <source>カーソル1</source>
        <translation>Cursor 1</translation>
    </message>
    <message>
        <source>カーソル2</source>
        <translation>Cursor 2</translation>
    </message>
    <message>
        <source>━━ バースト %1&#x3000;╍╍ バースト %2</source>
        <translation>━━ Burst %1   ╍╍ Burst %2</translation>
    </message>
</context>
<context>
    <name>tavrel::TriggerPage</name>
    <message>
        <source>トリガ</source>
        <translation>Trigger</translation>
    </message>
    <message>
        <source>バースト開始</source>
        <translation>Burst start</translation>
    </message>
    <message>
        <source>スケジュール</source>
        <translation>Schedule</translation>
    </message>
    <message>
        <source>立ち上がり</source>
        <translation>Rising</translation>
    </message>
    <message>
        <source>立ち下がり</source>
        <translation>Falling</translation>
    </message>
    <message>
        <source>両方</source>
        <translation>Either</translation>
    </message>
    <message>
        <source>既定</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>0: タイムアウトなし</source>
        <translation>0: no time-out</translation>
    </message>
    <message>
        <source>チャンネル</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>エッジ</source>
        <translation>Edge</translation>
    </message>
    <message>
        <source>レベル</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>ヒステリシス</source>
        <translation>Hysteresis</translation>
    </message>
    <message>
        <source>プリトリガ(%)</source>
        <translation>Pre-trigger (%)</translation>
    </message>
    <message>
        <source>ホールドオフ(秒)</source>
        <translation>Hold-off (s)</translation>
    </message>
    <message>
        <source>オートタイムアウト(秒)</source>
        <translation>Auto time-out (s)</translation>
    </message>
</context>
<context>
    <name>tavrel::ViewerWindow</name>
    <message>
        <source>TavrelREX ビューア</source>
        <translation>TavrelREX Viewer</translation>
    </message>
    <message>
        <source>ホイール：時間軸の拡大縮小&#x3000;左ドラッグ：範囲を拡大&#x3000;中ドラッグ：移動&#x3000;ダブルクリック：カーソル1&#x3000;右クリック：カーソル2</source>
        <translation>Wheel: zoom time   Left drag: zoom to area   Middle drag: pan   Double-click: cursor 1   Right click: cursor 2</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>開く(&amp;O)...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>エクスポート(&amp;E)...</source>
        <translation>&amp;Export...</translation>
    </message>
    <message>
        <source>最近使ったファイル(&amp;R)</source>
        <translation>&amp;Recent Files</translation>
    </message>
    <message>
        <source>終了(&amp;Q)</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>全体を表示(&amp;A)</source>
        <translation>Show &amp;All</translation>
    </message>
    <message>
        <source>カーソルを表示範囲に置く(&amp;C)</source>
        <translation>Bring &amp;Cursors into View</translation>
    </message>
    <message>
        <source>バースト</source>
        <translation>Bursts</translation>
    </message>
    <message>
        <source>重ねて表示：</source>
        <translation>Overlay:</translation>
    </message>
    <message>
        <source>時系列データファイル (*.sdf,*.tsd,*.h5)|*.sdf;*.tsd;*.h5;*.hdf5|時系列標準ファイル (*.sdf)|*.sdf|時系列テキストファイル (*.tsd)|*.tsd|HDF5ファイル (*.h5)|*.h5;*.hdf5|すべてのファイル (*.*)|*</source>
        <translation>Data files (*.sdf,*.tsd,*.h5)|*.sdf;*.tsd;*.h5;*.hdf5|Standard time-series files (*.sdf)|*.sdf|Time-series text files (*.tsd)|*.tsd|HDF5 files (*.h5)|*.h5;*.hdf5|All files (*.*)|*</translation>
    </message>
    <message>
        <source>（なし）</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>拡大(&amp;I)</source>
        <translation>Zoom &amp;in</translation>
    </message>
    <message>
        <source>縮小(&amp;U)</source>
        <translation>Zoom o&amp;ut</translation>
    </message>
    <message>
        <source>左へ移動(&amp;L)</source>
        <translation>Pan &amp;left</translation>
    </message>
    <message>
        <source>右へ移動(&amp;R)</source>
        <translation>Pan &amp;right</translation>
    </message>
    <message>
        <source>バースト %1（%2）</source>
        <translation>Burst %1 (%2)</translation>
    </message>
    <message>
        <source>重ねるバーストを選ぶ(&amp;O)</source>
        <translation>Choose &amp;Overlay Burst</translation>
    </message>
    <message>
        <source>重ねて表示をやめる(&amp;N)</source>
        <translation>Re&amp;move Overlay</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>ビューアのヘルプ(&amp;H)</source>
        <translation>Viewer &amp;Help</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;A)</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>About TavrelREX Viewer</translation>
    </message>
    <message>
        <source>時間軸(&amp;T)</source>
        <translation>&amp;Time Axis</translation>
    </message>
    <message>
        <source>経過時間 (s, ms, µs)(&amp;E)</source>
        <translation>&amp;Elapsed Time (s, ms, µs)</translation>
    </message>
    <message>
        <source>時刻(&amp;C)</source>
        <translation>&amp;Clock Time</translation>
    </message>
    <message>
        <source>サンプル番号(&amp;S)</source>
        <translation>&amp;Sample Index</translation>
    </message>
</context>
<context>
    <name>tavrel::WaveformCharts</name>
    <message>
        <source>時間 (%1)</source>
        <translation>Time (%1)</translation>
    </message>
</context>
</TS>
