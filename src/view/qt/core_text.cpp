#include "view/qt/core_text.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <unordered_map>
#include <vector>

namespace ostrel {

namespace {

// The catalogue: each text exactly as the core writes it.
constexpr std::array kCoreTexts{
    QT_TRANSLATE_NOOP("core", "その他"),
    QT_TRANSLATE_NOOP("core", "路線ファイルに誤りがあります。"),
    QT_TRANSLATE_NOOP("core", "の生成エラー"),
    QT_TRANSLATE_NOOP("core", "- 列車の基本設定"),
    QT_TRANSLATE_NOOP("core", "動力が気動車なのにNotch指定があります"),
    QT_TRANSLATE_NOOP("core", "動力が電車なのにEngine指定があります"),
    QT_TRANSLATE_NOOP("core", "- アナログ時計"),
    QT_TRANSLATE_NOOP("core", "- 運転台パネル"),
    QT_TRANSLATE_NOOP("core", "- 速度計"),
    QT_TRANSLATE_NOOP("core", "- BC圧力計"),
    QT_TRANSLATE_NOOP("core", "- SAP圧力計"),
    QT_TRANSLATE_NOOP("core", "- ER圧力計"),
    QT_TRANSLATE_NOOP("core", "- BP圧力計"),
    QT_TRANSLATE_NOOP("core", "- MR圧力計"),
    QT_TRANSLATE_NOOP("core", "- 電圧計"),
    QT_TRANSLATE_NOOP("core", "- 電流計"),
    QT_TRANSLATE_NOOP("core", "車両ファイルに誤りがあります"),
    QT_TRANSLATE_NOOP("core", "ブレーキの段数を3段以上に設定してください"),
    QT_TRANSLATE_NOOP("core", "サウンドファイルが見つかりません: "),
    QT_TRANSLATE_NOOP("core", "サウンドファイルを読み込めません: "),
    QT_TRANSLATE_NOOP("core", "実行ファイルが正しい場所に配置されていません"),
    QT_TRANSLATE_NOOP("core", "設定ファイルを読み込んでいます"),
    QT_TRANSLATE_NOOP("core", "運転台を描画しています"),
    QT_TRANSLATE_NOOP("core", "環境をセットアップしています"),
    QT_TRANSLATE_NOOP("core", "路線ファイルに駅"),
    QT_TRANSLATE_NOOP("core", "がありません"),
    QT_TRANSLATE_NOOP("core", "stringファイルに誤りがあります"),
    QT_TRANSLATE_NOOP("core", "が見つかりません"),
    QT_TRANSLATE_NOOP("core", "映像ファイルを開けません"),
    QT_TRANSLATE_NOOP("core", "サウンドを読み込んでいます"),
    QT_TRANSLATE_NOOP("core", "DirectSoundオブジェクトを作成しています(走行音)"),
    QT_TRANSLATE_NOOP("core", "DirectSoundオブジェクトを作成しています(環境音)"),
    QT_TRANSLATE_NOOP("core", "DirectSoundオブジェクトを作成しています(喚呼)"),
    QT_TRANSLATE_NOOP("core", "定速"),
    QT_TRANSLATE_NOOP("core", "データパックのフォルダを作れません。 Cannot make the packs folder "),
    QT_TRANSLATE_NOOP("core", "作業フォルダを作れません。 Cannot make a folder in "),
    QT_TRANSLATE_NOOP("core", ": フォルダを作れません (cannot make its folder)"),
    QT_TRANSLATE_NOOP("core", ": リンクは置き換えません (a link is kept)"),
    QT_TRANSLATE_NOOP("core", ": 既にあるので残しました (kept the pack's own)"),
    QT_TRANSLATE_NOOP("core",
                      "この書庫には ostrel.dat "
                      "がありません。路線や車両のファイルは、インストール済みのデータパックに追加で"
                      "きます。 The archive holds no ostrel.dat; its line or vehicle files can be "
                      "added to an installed pack."),
    QT_TRANSLATE_NOOP(
        "core",
        "この書庫にはデータパックがありません (ostrel.dat も路線・車両のファイルもありません)。 "
        "The archive holds no data pack: no ostrel.dat and no line or vehicle files."),
    QT_TRANSLATE_NOOP(
        "core",
        "名前が UTF-8 でもシフトJIS でもありません (the name is neither UTF-8 nor Shift JIS)"),
    QT_TRANSLATE_NOOP("core", "名前に NUL があります (a name with a NUL byte)"),
    QT_TRANSLATE_NOOP("core", "絶対パスです (an absolute name)"),
    QT_TRANSLATE_NOOP("core", "ドライブ名が付いています (a name with a drive letter)"),
    QT_TRANSLATE_NOOP("core", "データパックの外を指しています (the name climbs out of the pack)"),
    QT_TRANSLATE_NOOP("core", "名前が長すぎます (a name longer than 255 bytes)"),
    QT_TRANSLATE_NOOP("core", "フォルダが深すぎます (folders nested deeper than 32)"),
    QT_TRANSLATE_NOOP("core", "フォルダが多すぎます ("),
    QT_TRANSLATE_NOOP("core", " を超えています)。 The archive makes more than "),
    QT_TRANSLATE_NOOP("core", "書庫の項目が多すぎます ("),
    QT_TRANSLATE_NOOP("core", " を超えています)。 The archive holds more than "),
    QT_TRANSLATE_NOOP("core", "?: 名前を読めません (an entry whose name cannot be read)"),
    QT_TRANSLATE_NOOP("core", ": リンクは展開しません (links are skipped)"),
    QT_TRANSLATE_NOOP("core",
                      ": 特殊ファイルは展開しません (device files and the like are skipped)"),
    QT_TRANSLATE_NOOP("core", ": フォルダを作れません (cannot make it)"),
    QT_TRANSLATE_NOOP("core", " が大きすぎます。 The file "),
    QT_TRANSLATE_NOOP("core",
                      ": 同じ名前のファイルかフォルダがあります (a file or folder of the same name "
                      "is in the way)"),
    QT_TRANSLATE_NOOP("core", "書き込めません。 Cannot write "),
    QT_TRANSLATE_NOOP("core",
                      "展開すると大きすぎます。 Unpacked, the archive would take more than "),
    QT_TRANSLATE_NOOP("core", "圧縮率が異常です (書庫爆弾のおそれ)。 The archive unpacks to over "),
    QT_TRANSLATE_NOOP("core", "書き込めません (ディスクの空きを確かめてください)。 Cannot write "),
    QT_TRANSLATE_NOOP("core", "インストールできません。 Cannot move the pack into "),
    QT_TRANSLATE_NOOP("core", "追加先のデータパックがありません。 No installed pack named "),
    QT_TRANSLATE_NOOP("core", "インストールを中止しました。 The install was cancelled."),
    QT_TRANSLATE_NOOP("core", "書庫を読めません。 Cannot read the archive "),
    QT_TRANSLATE_NOOP("core", "書庫を読めません。 Out of memory."),
    QT_TRANSLATE_NOOP("core", "書庫として読めません。 Cannot open "),
    QT_TRANSLATE_NOOP("core", "書庫のファイルがありません。 No archive file "),
    QT_TRANSLATE_NOOP("core", "データパックの名前が正しくありません。 Not a pack name: "),
    QT_TRANSLATE_NOOP("core", "データパックを削除できません。 Cannot remove "),
    QT_TRANSLATE_NOOP("core", "運転状態を保存できませんでした"),
    QT_TRANSLATE_NOOP("core", "運転状態を保存しました"),
    QT_TRANSLATE_NOOP("core", "運転状態が保存されていません"),
    QT_TRANSLATE_NOOP("core", "' は運転状態の記録として読めません"),
    QT_TRANSLATE_NOOP("core", "運転状態を保存したダイヤではありません"),
    QT_TRANSLATE_NOOP("core", "運転再開(&S)"),
    QT_TRANSLATE_NOOP("core", "一時停止(&S)"),
    QT_TRANSLATE_NOOP("core", "停車パターン発生中"),
    QT_TRANSLATE_NOOP("core", "km/h 照査まで"),
    QT_TRANSLATE_NOOP("core", "km/h 制限まで"),
    QT_TRANSLATE_NOOP("core", "ドアが開いています"),
    QT_TRANSLATE_NOOP("core", "ドアを閉めています"),
    QT_TRANSLATE_NOOP("core", "0BackSpaceキーを押して方向を転換し、発車してください。"),
    QT_TRANSLATE_NOOP("core", "0速度超過によりATSが動作しました。"),
    QT_TRANSLATE_NOOP("core", "0非常ブレーキを入れ、リセットキーを押してください。"),
    QT_TRANSLATE_NOOP("core", "0速度を65km/h以下に落としてください。"),
    QT_TRANSLATE_NOOP("core", "0速度を95km/h以下に落としてください。"),
    QT_TRANSLATE_NOOP("core", "0速度を25km/h以下に落としてください。"),
    QT_TRANSLATE_NOOP("core", "0（停車駅接近）"),
    QT_TRANSLATE_NOOP("core", "（停車駅接近）"),
    QT_TRANSLATE_NOOP("core", "中立"),
    QT_TRANSLATE_NOOP("core", "変速"),
    QT_TRANSLATE_NOOP("core", "直結1"),
    QT_TRANSLATE_NOOP("core", "直結2"),
    QT_TRANSLATE_NOOP("core", "直結3"),
    QT_TRANSLATE_NOOP("core", "直結4"),
    QT_TRANSLATE_NOOP("core", "映像の読み込みに失敗しました"),
};
bool translating = false;
// In bytes: four characters of kana or kanji.
constexpr std::size_t kShortestPart = 12;
// The labels come again every frame: each text is worked out once.
std::unordered_map<std::string, QString> done;

// Longest first, so that where two texts start at one place the longer is taken.
const std::vector<std::string>& by_length() {
    static const std::vector<std::string> all = [] {
        std::vector<std::string> v(kCoreTexts.begin(), kCoreTexts.end());
        std::stable_sort(v.begin(), v.end(),
                         [](const auto& a, const auto& b) { return a.size() > b.size(); });
        return v;
    }();
    return all;
}

QString translated(const std::string& text) {
    return QCoreApplication::translate("core", text.c_str());
}

// The length of a UTF-8 sequence by its lead byte.
std::size_t sequence_length(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

}  // namespace

std::span<const char* const> core_texts() {
    return kCoreTexts;
}

void translate_core_texts(bool on) {
    translating = on;
    done.clear();
}

QString core_text(const std::string& text) {
    if (!translating || text.empty()) return QString::fromStdString(text);
    if (const auto it = done.find(text); it != done.end()) return it->second;
    if (done.size() > 4096) done.clear();
    QString& result = done[text];
    const QString whole = translated(text);
    if (whole != QString::fromStdString(text)) return result = whole;
    QString out;
    std::string plain;  // what no catalogue text covers, as written
    std::size_t i = 0;
    while (i < text.size()) {
        const std::string* found = nullptr;
        for (const std::string& f : by_length()) {
            // A short word ("中立", "その他") only ever as the whole text: inside a longer one
            // it is more likely part of a name from the data files.
            if (f.size() < kShortestPart) break;
            if (text.compare(i, f.size(), f) == 0) {
                found = &f;
                break;
            }
        }
        if (found) {
            out += QString::fromStdString(plain) + translated(*found);
            plain.clear();
            i += found->size();
        } else {
            const std::size_t n =
                std::min(sequence_length(static_cast<unsigned char>(text[i])), text.size() - i);
            plain.append(text, i, n);
            i += n;
        }
    }
    return result = out + QString::fromStdString(plain);
}

}  // namespace ostrel
