#include "string_table.h"

#include <map>

#include "text_codec.h"

namespace mirte {

namespace {

const std::map<unsigned, std::string>& Table() {
  static const std::map<unsigned, std::string> table = [] {
    const std::pair<unsigned, const char*> utf8[] = {
        {1, "ミルテ"},
        {2, "MyData.dat"},
        {3, "log.txt"},
        {11, "初期化失敗"},
        {12, "接続失敗"},
        {13, "認証失敗"},
        {14, "ﾀｲﾑアウト"},
        {15, "送信時の接続エラー"},
        {16, "その他のエラー"},
        {128, "Penwick\n\nPenwick\n\n\nPenwick.Document\nPenwick.Document"},
        {130, "アカウントやサーバー名を設定します。"},
        {134, "自動返信の設定をします。"},
        {136, "自動返信を実行します。"},
        {137, "受信メールを問い合わせる。"},
        {138, "送信条件を設定します。"},
        {139, "自動返信を停止します。"},
        {148, "オプション項目の設定をします。"},
        {32771, "自動返信実行"},
        {32772, "自動返信停止"},
        {57344, "ミルテ"},
        {57345, "レディ"},
        {57664, "プログラム情報、バージョン、著作権を表示します。\nバージョン情報"},
        {57665, "アプリケーションを終了します。"},
        {59136, "EXT"},
        {59137, "CAP"},
        {59138, "NUM"},
        {59139, "SCRL"},
        {59140, "上書"},
        {59141, "記録"},
        {59392, "ツール バーの 表示/非表示\nツール バーの表示切り替え"},
        {59393, "ステータス バーの 表示/非表示\nステータス バーの表示切り替え"},
    };
    std::map<unsigned, std::string> t;
    for (auto [id, text] : utf8) t.emplace(id, Cp932(text));
    return t;
  }();
  return table;
}

}  // namespace

const std::string& LoadString(unsigned id) {
  static const std::string empty;
  auto it = Table().find(id);
  return it == Table().end() ? empty : it->second;
}

std::string CommandPrompt(unsigned id) {
  const std::string& s = LoadString(id);
  return s.substr(0, s.find('\n'));
}

std::string CommandTooltip(unsigned id) {
  const std::string& s = LoadString(id);
  size_t lf = s.find('\n');
  return lf == std::string::npos ? std::string() : s.substr(lf + 1);
}

}  // namespace mirte
