<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja_JP">
<context>
    <name>ControllerCodesDialog</name>
    <message>
        <source>コントローラ設定</source>
        <translation>Controller settings</translation>
    </message>
    <message>
        <source>ゲームコントローラが見つかりません。つないでからお試しください。</source>
        <translation>No game controller was found. Connect one and try again.</translation>
    </message>
    <message>
        <source>読み取るデバイス: </source>
        <translation>Reading from: </translation>
    </message>
    <message>
        <source>戻る</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>次へ</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>読み取り値  マスコン: %1   ブレーキ: %2</source>
        <translation>Reading  power handle: %1   brake: %2</translation>
    </message>
    <message>
        <source>マスコン（力行ハンドル）を「%1」の位置にして「次へ」を押してください。</source>
        <translation>Put the power handle in position &quot;%1&quot; and press &quot;Next&quot;.</translation>
    </message>
    <message>
        <source>ブレーキハンドルを「%1」の位置にして「次へ」を押してください。</source>
        <translation>Put the brake handle in position &quot;%1&quot; and press &quot;Next&quot;.</translation>
    </message>
    <message>
        <source>ブレーキハンドルを「非常」の位置にして「完了」を押してください。</source>
        <translation>Put the brake handle in &quot;Emergency&quot; and press &quot;Done&quot;.</translation>
    </message>
    <message>
        <source>完了</source>
        <translation>Done</translation>
    </message>
</context>
<context>
    <name>CrewChangeDialog</name>
    <message>
        <source>交代しますか？</source>
        <translation>Hand over?</translation>
    </message>
    <message>
        <source>乗務員交代駅です。</source>
        <translation>This is the crew-change station.</translation>
    </message>
    <message>
        <source>運転継続をクリックすると続けて運転します。</source>
        <translation>Click &quot;Drive on&quot; to keep driving.</translation>
    </message>
    <message>
        <source>運転継続</source>
        <translation>Drive on</translation>
    </message>
    <message>
        <source>運転終了</source>
        <translation>End</translation>
    </message>
</context>
<context>
    <name>DemoWriter</name>
    <message>
        <source>路線映像 %1 / %2 フレーム</source>
        <translation>Route video, frame %1 of %2</translation>
    </message>
    <message>
        <source>プログラムファイルとタイトル画像</source>
        <translation>Program files and title pictures</translation>
    </message>
    <message>
        <source>車両・運転台とその音</source>
        <translation>Trains, cabs and their sounds</translation>
    </message>
    <message>
        <source>路線ファイル・標識・信号・沿線の音</source>
        <translation>Line files, signs, signals and lineside sounds</translation>
    </message>
    <message>
        <source>タイトル画面の沿線風景</source>
        <translation>Lineside scenery for the title</translation>
    </message>
    <message>
        <source>路線映像</source>
        <translation>The route video</translation>
    </message>
    <message>
        <source>完了</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>デモ路線を作成しています…</source>
        <translation>Writing the demo line…</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>デモ路線を作成しています: %1</source>
        <translation>Writing the demo line: %1</translation>
    </message>
</context>
<context>
    <name>DrivingScene</name>
    <message>
        <source>戻る</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>発車後</source>
        <translation>After dep.</translation>
    </message>
</context>
<context>
    <name>DrivingView</name>
    <message>
        <source>運転を終了してタイトルに戻ります</source>
        <translation>End the drive and go back to the title</translation>
    </message>
</context>
<context>
    <name>DrivingWindow</name>
    <message>
        <source>操作説明(&amp;U)</source>
        <translation>Instructions(&amp;U)</translation>
    </message>
    <message>
        <source>解説モード(&amp;D)</source>
        <translation>Explanations(&amp;D)</translation>
    </message>
    <message>
        <source>かんたん運転台(&amp;E)</source>
        <translation>Easy cab(&amp;E)</translation>
    </message>
    <message>
        <source>喚呼なし(&amp;K)</source>
        <translation>No call-outs(&amp;K)</translation>
    </message>
    <message>
        <source>ATS動作OFF(&amp;A)</source>
        <translation>ATS off(&amp;A)</translation>
    </message>
    <message>
        <source>視覚効果OFF(&amp;V)</source>
        <translation>Visual effects off(&amp;V)</translation>
    </message>
    <message>
        <source>自動運転(&amp;T)</source>
        <translation>Autopilot(&amp;T)</translation>
    </message>
    <message>
        <source>全画面表示</source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>標準/QXマスコン(&amp;N)</source>
        <translation>Standard / QX master controller(&amp;N)</translation>
    </message>
    <message>
        <source>Windows用電車でGO! コントローラ(&amp;U)</source>
        <translation>Densha de GO! controller for Windows(&amp;U)</translation>
    </message>
    <message>
        <source>PS用電車でGO! コントローラ(&amp;M)</source>
        <translation>Densha de GO! controller for PlayStation(&amp;M)</translation>
    </message>
    <message>
        <source>デバッグオプション(&amp;D)</source>
        <translation>Debug option(&amp;D)</translation>
    </message>
    <message>
        <source>ゲームコントローラの選択(&amp;G)</source>
        <translation>Choose the game controller(&amp;G)</translation>
    </message>
    <message>
        <source>コントローラ設定</source>
        <translation>Controller settings</translation>
    </message>
    <message>
        <source>QXマスコン（設定）(&amp;P)</source>
        <translation>QX master controller (settings)(&amp;P)</translation>
    </message>
    <message>
        <source>QXマスコン（接続）(&amp;C)</source>
        <translation>QX master controller (connect)(&amp;C)</translation>
    </message>
    <message>
        <source>運転状態を復元(&amp;L)</source>
        <translation>Restore the drive(&amp;L)</translation>
    </message>
    <message>
        <source>運転状態を保存(&amp;S)</source>
        <translation>Save the drive(&amp;S)</translation>
    </message>
    <message>
        <source>記録を再生できません。
</source>
        <translation>The recording cannot be replayed.
</translation>
    </message>
    <message>
        <source>運転の記録を保存できません。
</source>
        <translation>The drive&apos;s recording cannot be saved.
</translation>
    </message>
    <message>
        <source>自動（電車でGO!コントローラを優先）</source>
        <translation>Automatic (a Densha de GO! controller first)</translation>
    </message>
    <message>
        <source>（つながっていません）</source>
        <translation>(not connected)</translation>
    </message>
    <message>
        <source>DirectSoundを初期化できませんでした。</source>
        <translation>The sound device could not be started.</translation>
    </message>
</context>
<context>
    <name>EasyCabWindow</name>
    <message>
        <source>かんたん運転台</source>
        <translation>Easy cab</translation>
    </message>
    <message>
        <source>ブレーキ</source>
        <translation>Brake</translation>
    </message>
    <message>
        <source>加速</source>
        <translation>Power</translation>
    </message>
    <message>
        <source>惰行</source>
        <translation>Coast</translation>
    </message>
    <message>
        <source>（ニュートラル）</source>
        <translation>(neutral)</translation>
    </message>
    <message>
        <source>減速</source>
        <translation>Brake</translation>
    </message>
    <message>
        <source>ニュートラル</source>
        <translation>Neutral</translation>
    </message>
    <message>
        <source>ドア開閉</source>
        <translation>Doors</translation>
    </message>
    <message>
        <source>案内放送</source>
        <translation>Announce</translation>
    </message>
    <message>
        <source>巻戻し</source>
        <translation>Undo</translation>
    </message>
</context>
<context>
    <name>LastStopDialog</name>
    <message>
        <source>お疲れさまでした。</source>
        <translation>Well driven.</translation>
    </message>
    <message>
        <source>クリックすると運転を終了します。</source>
        <translation>Click to end the drive.</translation>
    </message>
</context>
<context>
    <name>PackWindow</name>
    <message>
        <source>%1 をインストールしています…</source>
        <translation>Installing %1…</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>データパックのインストール</source>
        <translation>Installing a data pack</translation>
    </message>
    <message>
        <source>… ほか %1 件 (and %1 more)</source>
        <translation>… and %1 more</translation>
    </message>
    <message>
        <source>インストールしました。展開しなかった項目があります:
Installed; these entries were skipped:

</source>
        <translation>Installed; these entries were skipped:

</translation>
    </message>
    <message>
        <source>追加先のデータパック</source>
        <translation>Add to which pack</translation>
    </message>
    <message>
        <source>

追加先 (add to):</source>
        <translation>

Add to:</translation>
    </message>
    <message>
        <source>%1 は既にあります。置き換えますか？

%1 is in the pack already. Replace it?</source>
        <translation>%1 is in the pack already. Replace it?</translation>
    </message>
    <message>
        <source>データパック - Ostrel</source>
        <translation>Data packs - Ostrel</translation>
    </message>
    <message>
        <source>インストールされたデータパックはありません。ダウンロードした書庫 (ZIP, LZH, 7z) をここへドロップするか、「インストール」で選んでください。デモ路線も作れます。

No data pack is installed: drop a downloaded archive here, choose one with Install, or write the demo line.</source>
        <translation>No data pack is installed: drop a downloaded archive (ZIP, LZH, 7z) here, choose one with Install, or write the demo line.</translation>
    </message>
    <message>
        <source>運転する</source>
        <translation>Drive</translation>
    </message>
    <message>
        <source>インストール…</source>
        <translation>Install…</translation>
    </message>
    <message>
        <source>デモ路線を作成</source>
        <translation>Write the demo line</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>未運転</source>
        <translation>not driven yet</translation>
    </message>
    <message>
        <source>データパックの書庫</source>
        <translation>Data pack archive</translation>
    </message>
    <message>
        <source>書庫 (*.zip *.lzh *.lha *.7z *.rar *.tar *.tar.gz *.tgz *.tar.xz);;すべてのファイル (*)</source>
        <translation>Archives (*.zip *.lzh *.lha *.7z *.rar *.tar *.tar.gz *.tgz *.tar.xz);;All files (*)</translation>
    </message>
    <message>
        <source>データパック「%1」とそのファイルをすべて削除しますか？

Remove the pack %1 and all its files?</source>
        <translation>Remove the pack %1 and all its files?</translation>
    </message>
</context>
<context>
    <name>ReportChart</name>
    <message>
        <source>記録がありません (nothing recorded)</source>
        <translation>Nothing recorded</translation>
    </message>
    <message>
        <source>速度 speed</source>
        <translation>speed</translation>
    </message>
    <message>
        <source>制限 limit</source>
        <translation>limit</translation>
    </message>
    <message>
        <source>信号 signal</source>
        <translation>signal</translation>
    </message>
    <message>
        <source>非常 EB</source>
        <translation>emergency</translation>
    </message>
</context>
<context>
    <name>ReportWindow</name>
    <message>
        <source>運転の記録 - </source>
        <translation>Drive report - </translation>
    </message>
    <message>
        <source>駅</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>予定</source>
        <translation>Timetable</translation>
    </message>
    <message>
        <source>着</source>
        <translation>Arrival</translation>
    </message>
    <message>
        <source>発・通過</source>
        <translation>Departure / passing</translation>
    </message>
    <message>
        <source>遅れ(秒)</source>
        <translation>Late (s)</translation>
    </message>
    <message>
        <source>停止位置(m)</source>
        <translation>Stop error (m)</translation>
    </message>
    <message>
        <source> (通過)</source>
        <translation> (pass)</translation>
    </message>
    <message>
        <source>距離 %1 km&#x3000;走行 %2 分&#x3000;最高 %3 km/h&#x3000;制限超過 %4 秒&#x3000;非常ブレーキ %5 回</source>
        <translation>Distance %1 km   running %2 min   top %3 km/h   over the limit %4 s   emergency brakes %5</translation>
    </message>
    <message>
        <source>グラフを保存 (PNG)…</source>
        <translation>Save the chart (PNG)…</translation>
    </message>
    <message>
        <source>表を保存 (CSV)…</source>
        <translation>Save the table (CSV)…</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>保存できません: </source>
        <translation>Cannot save: </translation>
    </message>
    <message>
        <source>グラフを保存</source>
        <translation>Save the chart</translation>
    </message>
    <message>
        <source>表を保存</source>
        <translation>Save the table</translation>
    </message>
</context>
<context>
    <name>SerialSetupDialog</name>
    <message>
        <source>QXマスコン（設定）</source>
        <translation>QX master controller (settings)</translation>
    </message>
</context>
<context>
    <name>TitleWindow</name>
    <message>
        <source>再生</source>
        <translation>Replay</translation>
    </message>
    <message>
        <source>クリックしてスタート</source>
        <translation>Click to start</translation>
    </message>
    <message>
        <source>実行ファイルが正しい場所に配置されていません</source>
        <translation>The program is not in the right place</translation>
    </message>
    <message>
        <source>オープニングムービーを開けません</source>
        <translation>Cannot open the opening movie</translation>
    </message>
    <message>
        <source>この路線を任意の列車で運転することができます</source>
        <translation>Drive this line with any train</translation>
    </message>
    <message>
        <source>列車データファイル (*.dat)</source>
        <translation>Train data files (*.dat)</translation>
    </message>
    <message>
        <source>Formを作成しています</source>
        <translation>Making the windows</translation>
    </message>
    <message>
        <source>再生する運転の記録</source>
        <translation>The recorded drive to replay</translation>
    </message>
    <message>
        <source>運転の記録 (*.ostrel-script)</source>
        <translation>Recorded drives (*.ostrel-script)</translation>
    </message>
    <message>
        <source>運転の記録を読めません。
</source>
        <translation>The recording cannot be read.
</translation>
    </message>
    <message>
        <source>この運転の記録は再生できません。
</source>
        <translation>This recording cannot be replayed.
</translation>
    </message>
    <message>
        <source>この運転の記録は別のデータで運転されました。
</source>
        <translation>This drive was recorded on other data.
</translation>
    </message>
</context>
<context>
    <name>ValueDisplayWindow</name>
    <message>
        <source>SU再読込</source>
        <translation>Reload SU</translation>
    </message>
    <message>
        <source>抵抗解除</source>
        <translation>Drag off</translation>
    </message>
</context>
<context>
    <name>core</name>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>路線ファイルに誤りがあります。</source>
        <translation>The line file has an error. </translation>
    </message>
    <message>
        <source>の生成エラー</source>
        <translation> could not be made</translation>
    </message>
    <message>
        <source>- 列車の基本設定</source>
        <translation>- the train&apos;s basic settings</translation>
    </message>
    <message>
        <source>動力が気動車なのにNotch指定があります</source>
        <translation>The train is a diesel but has a Notch entry</translation>
    </message>
    <message>
        <source>動力が電車なのにEngine指定があります</source>
        <translation>The train is electric but has an Engine entry</translation>
    </message>
    <message>
        <source>- アナログ時計</source>
        <translation>- the analogue clock</translation>
    </message>
    <message>
        <source>- 運転台パネル</source>
        <translation>- the cab panel</translation>
    </message>
    <message>
        <source>- 速度計</source>
        <translation>- the speedometer</translation>
    </message>
    <message>
        <source>- BC圧力計</source>
        <translation>- the BC pressure gauge</translation>
    </message>
    <message>
        <source>- SAP圧力計</source>
        <translation>- the SAP pressure gauge</translation>
    </message>
    <message>
        <source>- ER圧力計</source>
        <translation>- the ER pressure gauge</translation>
    </message>
    <message>
        <source>- BP圧力計</source>
        <translation>- the BP pressure gauge</translation>
    </message>
    <message>
        <source>- MR圧力計</source>
        <translation>- the MR pressure gauge</translation>
    </message>
    <message>
        <source>- 電圧計</source>
        <translation>- the voltmeter</translation>
    </message>
    <message>
        <source>- 電流計</source>
        <translation>- the ammeter</translation>
    </message>
    <message>
        <source>車両ファイルに誤りがあります</source>
        <translation>The vehicle file has an error</translation>
    </message>
    <message>
        <source>ブレーキの段数を3段以上に設定してください</source>
        <translation>Give the brake three or more notches</translation>
    </message>
    <message>
        <source>サウンドファイルが見つかりません: </source>
        <translation>Sound file not found: </translation>
    </message>
    <message>
        <source>サウンドファイルを読み込めません: </source>
        <translation>Cannot read the sound file: </translation>
    </message>
    <message>
        <source>実行ファイルが正しい場所に配置されていません</source>
        <translation>The program is not in the right place</translation>
    </message>
    <message>
        <source>設定ファイルを読み込んでいます</source>
        <translation>Reading the settings files</translation>
    </message>
    <message>
        <source>運転台を描画しています</source>
        <translation>Drawing the cab</translation>
    </message>
    <message>
        <source>環境をセットアップしています</source>
        <translation>Setting up</translation>
    </message>
    <message>
        <source>路線ファイルに駅</source>
        <translation>The line file has no station </translation>
    </message>
    <message>
        <source>がありません</source>
        <translation>.</translation>
    </message>
    <message>
        <source>stringファイルに誤りがあります</source>
        <translation>The string file has an error</translation>
    </message>
    <message>
        <source>が見つかりません</source>
        <translation> was not found</translation>
    </message>
    <message>
        <source>映像ファイルを開けません</source>
        <translation>Cannot open the video file </translation>
    </message>
    <message>
        <source>サウンドを読み込んでいます</source>
        <translation>Loading the sounds</translation>
    </message>
    <message>
        <source>DirectSoundオブジェクトを作成しています(走行音)</source>
        <translation>Making the sounds (running)</translation>
    </message>
    <message>
        <source>DirectSoundオブジェクトを作成しています(環境音)</source>
        <translation>Making the sounds (surroundings)</translation>
    </message>
    <message>
        <source>DirectSoundオブジェクトを作成しています(喚呼)</source>
        <translation>Making the sounds (call-outs)</translation>
    </message>
    <message>
        <source>定速</source>
        <translation>Constant speed</translation>
    </message>
    <message>
        <source>データパックのフォルダを作れません。 Cannot make the packs folder </source>
        <translation>Cannot make the packs folder </translation>
    </message>
    <message>
        <source>作業フォルダを作れません。 Cannot make a folder in </source>
        <translation>Cannot make a folder in </translation>
    </message>
    <message>
        <source>: フォルダを作れません (cannot make its folder)</source>
        <translation>: cannot make its folder</translation>
    </message>
    <message>
        <source>: リンクは置き換えません (a link is kept)</source>
        <translation>: a link is kept</translation>
    </message>
    <message>
        <source>: 既にあるので残しました (kept the pack&apos;s own)</source>
        <translation>: kept the pack&apos;s own</translation>
    </message>
    <message>
        <source>この書庫には ostrel.dat がありません。路線や車両のファイルは、インストール済みのデータパックに追加できます。 The archive holds no ostrel.dat; its line or vehicle files can be added to an installed pack.</source>
        <translation>The archive holds no ostrel.dat; its line or vehicle files can be added to an installed pack.</translation>
    </message>
    <message>
        <source>この書庫にはデータパックがありません (ostrel.dat も路線・車両のファイルもありません)。 The archive holds no data pack: no ostrel.dat and no line or vehicle files.</source>
        <translation>The archive holds no data pack: no ostrel.dat and no line or vehicle files.</translation>
    </message>
    <message>
        <source>名前が UTF-8 でもシフトJIS でもありません (the name is neither UTF-8 nor Shift JIS)</source>
        <translation>the name is neither UTF-8 nor Shift JIS</translation>
    </message>
    <message>
        <source>名前に NUL があります (a name with a NUL byte)</source>
        <translation>a name with a NUL byte</translation>
    </message>
    <message>
        <source>絶対パスです (an absolute name)</source>
        <translation>an absolute name</translation>
    </message>
    <message>
        <source>ドライブ名が付いています (a name with a drive letter)</source>
        <translation>a name with a drive letter</translation>
    </message>
    <message>
        <source>データパックの外を指しています (the name climbs out of the pack)</source>
        <translation>the name climbs out of the pack</translation>
    </message>
    <message>
        <source>名前が長すぎます (a name longer than 255 bytes)</source>
        <translation>a name longer than 255 bytes</translation>
    </message>
    <message>
        <source>フォルダが深すぎます (folders nested deeper than 32)</source>
        <translation>folders nested deeper than 32</translation>
    </message>
    <message>
        <source>フォルダが多すぎます (</source>
        <translation>Too many folders (</translation>
    </message>
    <message>
        <source> を超えています)。 The archive makes more than </source>
        <translation>).</translation>
    </message>
    <message>
        <source>書庫の項目が多すぎます (</source>
        <translation>Too many entries (</translation>
    </message>
    <message>
        <source> を超えています)。 The archive holds more than </source>
        <translation>).</translation>
    </message>
    <message>
        <source>?: 名前を読めません (an entry whose name cannot be read)</source>
        <translation>?: an entry whose name cannot be read</translation>
    </message>
    <message>
        <source>: リンクは展開しません (links are skipped)</source>
        <translation>: links are skipped</translation>
    </message>
    <message>
        <source>: 特殊ファイルは展開しません (device files and the like are skipped)</source>
        <translation>: device files and the like are skipped</translation>
    </message>
    <message>
        <source>: フォルダを作れません (cannot make it)</source>
        <translation>: cannot make it</translation>
    </message>
    <message>
        <source> が大きすぎます。 The file </source>
        <translation> is too large. The file </translation>
    </message>
    <message>
        <source>: 同じ名前のファイルかフォルダがあります (a file or folder of the same name is in the way)</source>
        <translation>: a file or folder of the same name is in the way</translation>
    </message>
    <message>
        <source>書き込めません。 Cannot write </source>
        <translation>Cannot write </translation>
    </message>
    <message>
        <source>展開すると大きすぎます。 Unpacked, the archive would take more than </source>
        <translation>Unpacked, the archive would take more than </translation>
    </message>
    <message>
        <source>圧縮率が異常です (書庫爆弾のおそれ)。 The archive unpacks to over </source>
        <translation>The archive may be a zip bomb: it unpacks to over </translation>
    </message>
    <message>
        <source>書き込めません (ディスクの空きを確かめてください)。 Cannot write </source>
        <translation>Cannot write (check the free disk space) </translation>
    </message>
    <message>
        <source>インストールできません。 Cannot move the pack into </source>
        <translation>Cannot install: cannot move the pack into </translation>
    </message>
    <message>
        <source>追加先のデータパックがありません。 No installed pack named </source>
        <translation>No installed pack named </translation>
    </message>
    <message>
        <source>インストールを中止しました。 The install was cancelled.</source>
        <translation>The install was cancelled.</translation>
    </message>
    <message>
        <source>書庫を読めません。 Cannot read the archive </source>
        <translation>Cannot read the archive </translation>
    </message>
    <message>
        <source>書庫を読めません。 Out of memory.</source>
        <translation>Cannot read the archive: out of memory.</translation>
    </message>
    <message>
        <source>書庫として読めません。 Cannot open </source>
        <translation>Not an archive that can be read: </translation>
    </message>
    <message>
        <source>書庫のファイルがありません。 No archive file </source>
        <translation>No archive file </translation>
    </message>
    <message>
        <source>データパックの名前が正しくありません。 Not a pack name: </source>
        <translation>Not a pack name: </translation>
    </message>
    <message>
        <source>データパックを削除できません。 Cannot remove </source>
        <translation>Cannot remove </translation>
    </message>
    <message>
        <source>運転状態を保存できませんでした</source>
        <translation>The drive could not be saved</translation>
    </message>
    <message>
        <source>運転状態を保存しました</source>
        <translation>The drive was saved</translation>
    </message>
    <message>
        <source>運転状態が保存されていません</source>
        <translation>No drive is saved in this slot</translation>
    </message>
    <message>
        <source>&apos; は運転状態の記録として読めません</source>
        <translation>&apos; cannot be read as a saved drive</translation>
    </message>
    <message>
        <source>運転状態を保存したダイヤではありません</source>
        <translation>The drive was saved on another service</translation>
    </message>
    <message>
        <source>運転再開(&amp;S)</source>
        <translation>Resume(&amp;S)</translation>
    </message>
    <message>
        <source>一時停止(&amp;S)</source>
        <translation>Pause(&amp;S)</translation>
    </message>
    <message>
        <source>停車パターン発生中</source>
        <translation>Stop pattern active</translation>
    </message>
    <message>
        <source>km/h 照査まで</source>
        <translation>km/h check in </translation>
    </message>
    <message>
        <source>km/h 制限まで</source>
        <translation>km/h limit in </translation>
    </message>
    <message>
        <source>ドアが開いています</source>
        <translation>Doors open</translation>
    </message>
    <message>
        <source>ドアを閉めています</source>
        <translation>Doors closing</translation>
    </message>
    <message>
        <source>0BackSpaceキーを押して方向を転換し、発車してください。</source>
        <translation>0Press Backspace to change direction, then depart.</translation>
    </message>
    <message>
        <source>0速度超過によりATSが動作しました。</source>
        <translation>0The ATS braked: the train was too fast.</translation>
    </message>
    <message>
        <source>0非常ブレーキを入れ、リセットキーを押してください。</source>
        <translation>0Apply the emergency brake, then press the reset key.</translation>
    </message>
    <message>
        <source>0速度を65km/h以下に落としてください。</source>
        <translation>0Slow down to 65 km/h or less.</translation>
    </message>
    <message>
        <source>0速度を95km/h以下に落としてください。</source>
        <translation>0Slow down to 95 km/h or less.</translation>
    </message>
    <message>
        <source>0速度を25km/h以下に落としてください。</source>
        <translation>0Slow down to 25 km/h or less.</translation>
    </message>
    <message>
        <source>0（停車駅接近）</source>
        <translation>0(stopping station ahead)</translation>
    </message>
    <message>
        <source>（停車駅接近）</source>
        <translation> (stopping station ahead)</translation>
    </message>
    <message>
        <source>中立</source>
        <translation>Neutral</translation>
    </message>
    <message>
        <source>変速</source>
        <translation>Shift</translation>
    </message>
    <message>
        <source>直結1</source>
        <translation>Direct 1</translation>
    </message>
    <message>
        <source>直結2</source>
        <translation>Direct 2</translation>
    </message>
    <message>
        <source>直結3</source>
        <translation>Direct 3</translation>
    </message>
    <message>
        <source>直結4</source>
        <translation>Direct 4</translation>
    </message>
    <message>
        <source>映像の読み込みに失敗しました</source>
        <translation>The video could not be read</translation>
    </message>
</context>
</TS>
