#include "export/format_tables.h"

#include <array>

namespace {

enum Kind { kText, kInt16, kInt32, kCurrency };

struct ColumnDef {
  const char* line_name;  // on the column-name line
  const char* item;       // item name in the asset row table
  const char* head_item;  // item name in the column-name table
  Kind kind;
  int width;
  int decimals;
  bool required;
};

// One column a line, numbered as on the column-name line.
// clang-format off
constexpr ColumnDef kAssetColumns[kAssetColumnCount] = {
    {";資産コード", "資産コード文字", "資産コード文字", kText, 8, 0, true},  // 1
    {"分割コード", "分割コード", "分割コード", kText, 2, 0, true},  // 2
    {"資産種類コード", "資産種類コード", "資産種類コード", kText, 2, 0, true},  // 3
    {"資産種類名", "資産種類名", "資産種類名", kText, 20, 0, true},  // 4
    {"償却方法", "償却方法", "償却方法", kText, 10, 0, true},  // 5
    {"資本的支出区分", "資本的支出区分", "資本的支出区分", kText, 16, 0, true},  // 6
    {"本支店コード", "本支店コード", "本支店コード", kInt32, 8, 0, true},  // 7
    {"部門コード", "部門コード", "部門コード", kInt32, 5, 0, true},  // 8
    {"申告先地域コード", "申告先地域コード", "申告先地域コード", kInt32, 5, 0, true},  // 9
    {"資産名称", "資産名称", "資産名称", kText, 32, 0, true},  // 10
    {"構造名", "構造名", "構造名", kText, 16, 0, true},  // 11
    {"細目名", "細目名", "細目名", kText, 16, 0, true},  // 12
    {"取得年月日", "取得日年月日", "取得年月日", kInt32, 8, 0, true},  // 13
    {"数量", "数量", "数量", kCurrency, 6, 2, true},  // 14
    {"単位", "単位", "単位", kText, 4, 0, true},  // 15
    {"耐用年数", "耐用年数", "耐用年数", kInt16, 3, 0, true},  // 16
    {"耐用年数短縮", "耐用年数短縮", "耐用年数短縮", kText, 18, 0, false},  // 17
    {"耐用年数短縮(保証額未満)[圧縮記帳(引当金・積立金)の場合の償却額計算用]", "耐用年数短縮(保証額未満)", "耐用年数短縮(圧縮記帳の場合)", kText, 1, 0, false},  // 18
    {"耐用年数(地方税計算用)", "地方税耐用年数", "地方税耐用年数", kInt16, 3, 0, true},  // 19
    {"償却率", "償却率", "償却率", kCurrency, 1, 3, true},  // 20
    {"経過措置", "経過措置", "経過措置", kText, 10, 0, false},  // 21
    {"償却期間の月数", "償却期間の月数", "償却期間の月数", kText, 4, 0, true},  // 22
    {"取得価額", "取得価額", "取得価額", kText, 12, 0, true},  // 23
    {"圧縮記帳の経理方式", "経理方式", "経理方式", kText, 8, 0, true},  // 24
    {"圧縮記帳額", "圧縮記帳額", "圧縮記帳額", kText, 12, 0, true},  // 25
    {"期首圧縮記帳引当金残高", "期首圧縮引当金残高", "期首圧縮引当金残高", kText, 12, 0, true},  // 26
    {"引当金期中取崩額", "引当金期中取崩額", "引当金期中取崩額", kText, 12, 0, true},  // 27
    {"差引取得価額", "差引取得価額", "差引取得価額", kText, 12, 0, true},  // 28
    {"残存価額 率", "残存価額率", "残存価額率", kInt32, 3, 0, true},  // 29
    {"残存価額(入力)", "入力残存価額", "入力残存価額", kText, 1, 0, true},  // 30
    {"残存価額", "残存価額", "残存価額", kText, 12, 0, true},  // 31
    {"残存価額(入力)[圧縮記帳(引当金・積立金)の場合の償却額計算用]", "入力残存価額(圧縮記帳の場合)", "入力残存価額(圧縮記帳の場合)", kText, 1, 0, false},  // 32
    {"残存価額[圧縮記帳(引当金・積立金)の場合の償却額計算用]", "残存価額(圧縮記帳の場合)", "残存価額(圧縮記帳の場合)", kText, 12, 0, false},  // 33
    {"償却可能限度額 率", "償却可能限度額率", "償却可能限度額率", kInt32, 3, 0, true},  // 34
    {"償却可能限度額(入力)", "入力償却可能限度額", "入力償却可能限度額", kText, 1, 0, true},  // 35
    {"償却可能限度額", "償却可能限度額", "償却可能限度額", kText, 12, 0, true},  // 36
    {"償却可能限度額(入力)[圧縮記帳(引当金・積立金)の場合の償却額計算用]", "入力償却可能限度額(圧縮記帳の場合)", "入力償却可能限度額(圧縮記帳の場合)", kText, 1, 0, false},  // 37
    {"償却可能限度額[圧縮記帳(引当金・積立金)の場合の償却額計算用]", "償却可能限度額(圧縮記帳の場合)", "償却可能限度額(圧縮記帳の場合)", kText, 12, 0, false},  // 38
    {"償却月数(入力)", "入力償却月数", "入力償却月数", kText, 1, 0, true},  // 39
    {"償却月数", "償却月数", "償却月数", kInt16, 2, 0, true},  // 40
    {"期首帳簿価額(入力)", "期首帳簿価額(入力)", "期首帳簿価額(入力)", kText, 1, 0, false},  // 41
    {"期首帳簿価額", "期首帳簿価額", "期首帳簿価額", kText, 12, 0, true},  // 42
    {"期首帳簿価額(償却方法変更・耐用年数短縮・定率法経過措置用)", "変更期首帳簿価額", "変更期首帳簿価額", kText, 12, 0, true},  // 43
    {"期首帳簿価額(〃)[圧縮記帳(引当金・積立金)の場合の償却額計算用]", "変更期首帳簿価額(圧縮記帳の場合)", "変更期首帳簿価額(圧縮記帳の場合)", kText, 12, 0, false},  // 44
    {"残存簿価(入力)", "残存簿価(入力)", "残存簿価(入力)", kText, 1, 0, false},  // 45
    {"残存簿価", "残存簿価", "残存簿価", kText, 12, 0, false},  // 46
    {"改定取得価額(入力)", "改定取得価額(入力)", "改定取得価額(入力)", kText, 1, 0, false},  // 47
    {"改定取得価額", "改定取得価額", "改定取得価額", kText, 12, 0, false},  // 48
    {"改定取得価額(入力)[圧縮記帳(引当金・積立金)の場合の償却額計算用]", "入力改定取得価額(圧縮記帳の場合)", "入力改定取得価額(圧縮記帳の場合)", kText, 1, 0, false},  // 49
    {"改定取得価額[圧縮記帳(引当金・積立金)の場合の償却額計算用]", "改定取得価額(圧縮記帳の場合)", "改定取得価額(圧縮記帳の場合)", kText, 12, 0, false},  // 50
    {"償却計算の基礎となる額", "償却基礎金額", "償却基礎金額", kText, 12, 0, true},  // 51
    {"算出償却額(入力)", "入力算出償却額", "入力算出償却額", kText, 1, 0, true},  // 52
    {"算出償却額", "算出償却額", "算出償却額", kText, 12, 0, true},  // 53
    {"期首償却過不足額", "期首償却過不足額", "期首償却過不足額", kText, 12, 0, true},  // 54
    {"増加償却割合", "増加償却割合", "増加償却割合", kInt16, 3, 0, true},  // 55
    {"増加償却額(入力)", "入力増加償却額", "入力増加償却額", kText, 1, 0, true},  // 56
    {"増加償却額", "増加償却額", "増加償却額", kText, 12, 0, true},  // 57
    {"特別償却区分", "特別償却区分", "特別償却区分", kText, 4, 0, true},  // 58
    {"摘要条項 条", "摘要条", "摘要条", kText, 10, 0, true},  // 59
    {"摘要条項 項", "摘要項", "摘要項", kText, 10, 0, true},  // 60
    {"特別償却割合", "特別償却率", "特別償却率", kInt32, 3, 0, true},  // 61
    {"特別償却金額(入力)", "入力特別償却金額", "入力特別償却金額", kText, 1, 0, true},  // 62
    {"特別償却金額", "特別償却金額", "特別償却金額", kText, 12, 0, true},  // 63
    {"経理処理区分", "経理処理区分", "経理処理区分", kText, 6, 0, true},  // 64
    {"当期償却限度額", "当期償却限度額", "当期償却限度額", kText, 12, 0, true},  // 65
    {"当期償却額(入力)", "入力当期償却額", "入力当期償却額", kText, 1, 0, true},  // 66
    {"当期償却額", "当期償却額", "当期償却額", kText, 12, 0, true},  // 67
    {"償却過不足額", "償却過不足額", "償却過不足額", kText, 12, 0, true},  // 68
    {"償却実施率", "償却実施率", "償却実施率", kInt32, 3, 0, true},  // 69
    {"事業専用割合(分子)", "分子事業専用割合", "分子事業専用割合", kCurrency, 3, 2, true},  // 70
    {"事業専用割合(分母)", "分母事業専用割合", "分母事業専用割合", kCurrency, 3, 2, true},  // 71
    {"除却年月日", "除却年月日", "除却年月日", kInt32, 8, 0, true},  // 72
    {"除却時の計算方法", "除却計算方法", "除却計算方法", kText, 14, 0, true},  // 73
    {"除却区分", "除却区分", "除却区分", kText, 6, 0, false},  // 74
    {"除売却価額", "除売却価額", "除売却価額", kText, 12, 0, false},  // 75
    {"有姿除却年月日", "有姿除却年月日", "有姿除却年月日", kInt32, 8, 0, true},  // 76
    {"有姿除却時の計算方法", "有姿除却時の計算方法", "有姿除却時の計算方法", kText, 14, 0, false},  // 77
    {"有姿除却 処分見込価額", "処分見込価額", "処分見込価額", kText, 12, 0, true},  // 78
    {"有姿除却(処分)年月日", "処分年月日", "処分年月日", kInt32, 8, 0, true},  // 79
    {"前期除却区分", "前期除却区分", "前期除却区分", kText, 1, 0, true},  // 80
    {"期末帳簿価額", "期末帳簿価額", "期末帳簿価額", kText, 12, 0, true},  // 81
    {"期末引当金額", "期末引当", "期末引当", kText, 12, 0, true},  // 82
    {"償却累計額", "償却累計額", "償却累計額", kText, 12, 0, true},  // 83
    {"販売管理費(分子)", "分子販売管理費", "分子販売管理費", kCurrency, 3, 2, true},  // 84
    {"販売管理費(分母)", "分母販売管理費", "分母販売管理費", kCurrency, 3, 2, true},  // 85
    {"販売管理費", "販売管理費", "販売管理費", kText, 12, 0, true},  // 86
    {"製造原価(分子)", "分子製造原価", "分子製造原価", kCurrency, 3, 2, true},  // 87
    {"製造原価(分母)", "分母製造原価", "分母製造原価", kCurrency, 3, 2, true},  // 88
    {"製造原価", "製造原価", "製造原価", kText, 12, 0, true},  // 89
    {"営業外費用(分子)", "分子営業外費用", "分子営業外費用", kCurrency, 3, 2, true},  // 90
    {"営業外費用(分母)", "分母営業外費用", "分母営業外費用", kCurrency, 3, 2, true},  // 91
    {"営業外費用", "営業外費用", "営業外費用", kText, 12, 0, true},  // 92
    {"償却資産種類", "償却資産種類", "償却資産種類", kText, 16, 0, true},  // 93
    {"地域移動", "地域移動", "地域移動", kText, 1, 0, true},  // 94
    {"地域移動 地域コード(前回)", "地域コード", "地域コード", kText, 8, 0, true},  // 95
    {"償却資産資産コード(入力)", "償却資産用資産コード入力区分", "償却資産資産コード(入力)", kText, 1, 0, false},  // 96
    {"償却資産資産コード", "償却資産用資産コード", "償却資産資産コード", kText, 20, 0, false},  // 97
    {"償却資産用取得価額 入力フラグ", "償却資産用取得価額 入力フラグ", "償却資産用取得価額 入力フラグ", kText, 1, 0, false},  // 98
    {"償却資産用取得価額 手入力", "償却資産用取得価額 手入力", "償却資産用取得価額 手入力", kText, 12, 0, false},  // 99
    {"摘要全資産等(1)", "摘要全資産1", "摘要全資産1", kText, 20, 0, true},  // 100
    {"摘要全資産等(2)", "摘要全資産2", "摘要全資産2", kText, 20, 0, true},  // 101
    {"摘要減少(1)", "摘要減少1", "摘要減少1", kText, 20, 0, true},  // 102
    {"摘要減少(2)", "摘要減少2", "摘要減少2", kText, 20, 0, true},  // 103
    {"前回の帳簿価額(入力)", "入力前帳簿価額", "入力前帳簿価額", kText, 1, 0, true},  // 104
    {"前回の帳簿価額", "前帳簿価額", "前帳簿価額", kText, 12, 0, true},  // 105
    {"前回の評価額(入力)", "入力前評価額", "入力前評価額", kText, 1, 0, true},  // 106
    {"前回の評価額", "前評価額", "前評価額", kText, 12, 0, true},  // 107
    {"今回の帳簿価額(入力)", "入力今帳簿価額", "入力今帳簿価額", kText, 1, 0, true},  // 108
    {"今回の帳簿価額", "今帳簿価額", "今帳簿価額", kText, 12, 0, true},  // 109
    {"今回の評価額(入力)", "入力今評価額", "入力今評価額", kText, 1, 0, true},  // 110
    {"今回の評価額", "今評価額", "今評価額", kText, 12, 0, true},  // 111
    {"課税標準の特例(分子)", "分子特例課税", "分子特例課税", kInt16, 1, 0, true},  // 112
    {"課税標準の特例(分母)", "分母特例課税", "分母特例課税", kInt16, 2, 0, true},  // 113
    {"特例の適用終了年度", "適用終了年度", "適用終了年度", kInt16, 2, 0, true},  // 114
    {"増加事由", "増加事由", "増加事由", kText, 6, 0, true},  // 115
    {"減少事由", "減少事由", "減少事由", kText, 6, 0, true},  // 116
    {"減少区分", "減少区分", "減少区分", kText, 4, 0, true},  // 117
    {"当期減損処理設定", "当期減損処理設定", "当期減損処理設定", kText, 1, 0, false},  // 118
    {"減損年月日(当期)", "減損年月日(当期)", "減損年月日(当期)", kInt32, 8, 0, false},  // 119
    {"減損損失計上(当期)", "減損損失計上(当期)", "減損損失計上(当期)", kText, 16, 0, false},  // 120
    {"減損前帳簿価額(当期)(入力)", "減損前帳簿価額(当期)(入力)", "減損前帳簿価額(当期)(入力)", kText, 1, 0, false},  // 121
    {"減損前帳簿価額(当期)", "減損前帳簿価額(当期)", "減損前帳簿価額(当期)", kText, 12, 0, false},  // 122
    {"減損損失額(当期)", "減損損失額(当期)", "減損損失額(当期)", kText, 12, 0, false},  // 123
    {"減損後帳簿価額(当期)", "減損後帳簿価額(当期)", "減損後帳簿価額(当期)", kText, 12, 0, false},  // 124
    {"減損後耐用年数(当期)(入力)", "減損後耐用年数(当期)(入力)", "減損後耐用年数(当期)(入力)", kText, 1, 0, false},  // 125
    {"減損後耐用年数(当期)", "減損後耐用年数(当期)", "減損後耐用年数(当期)", kText, 12, 0, false},  // 126
    {"減損後償却率(当期)(入力)", "減損後償却率(当期)(入力)", "減損後償却率(当期)(入力)", kText, 1, 0, false},  // 127
    {"減損後償却率(当期)", "減損後償却率(当期)", "減損後償却率(当期)", kCurrency, 1, 3, false},  // 128
    {"減損後残存価額(当期)(入力)", "減損後残存価額(当期)(入力)", "減損後残存価額(当期)(入力)", kText, 1, 0, false},  // 129
    {"減損後残存価額(当期)", "減損後残存価額(当期)", "減損後残存価額(当期)", kText, 12, 0, false},  // 130
    {"減損損失累計額(当期)", "減損損失累計額(当期)", "減損損失累計額(当期)", kText, 12, 0, false},  // 131
    {"過年度減損処理設定", "過年度減損処理設定", "過年度減損処理設定", kText, 1, 0, false},  // 132
    {"最終減損年月日(過年度)", "最終減損年月日(過年度)", "最終減損年月日(過年度)", kInt32, 8, 0, false},  // 133
    {"減損損失計上(過年度)", "減損損失計上(過年度)", "減損損失計上(過年度)", kText, 16, 0, false},  // 134
    {"減損後帳簿価額(過年度)", "減損後帳簿価額(過年度)", "減損後帳簿価額(過年度)", kText, 12, 0, false},  // 135
    {"減損損失累計額(過年度)", "減損損失累計額(過年度)", "減損損失累計額(過年度)", kText, 12, 0, false},  // 136
    {"減損後耐用年数(過年度)", "減損後耐用年数(過年度)", "減損後耐用年数(過年度)", kInt32, 4, 0, false},  // 137
    {"減損後償却率(過年度)(入力)", "減損後償却率(過年度)(入力)", "減損後償却率(過年度)(入力)", kText, 1, 0, false},  // 138
    {"減損後償却率(過年度)", "減損後償却率(過年度)", "減損後償却率(過年度)", kCurrency, 1, 3, false},  // 139
    {"減損後残存価額(過年度)(入力)", "減損後残存価額(過年度)(入力)", "減損後残存価額(過年度)(入力)", kText, 1, 0, false},  // 140
    {"減損後残存価額(過年度)", "減損後残存価額(過年度)", "減損後残存価額(過年度)", kText, 12, 0, false},  // 141
    {"減損後改定取得価額(過年度)", "減損後改定取得価額(過年度)", "減損後改定取得価額(過年度)", kText, 12, 0, false},  // 142
    {"計算の基礎となる額(過年度)(入力)", "計算の基礎となる額(過年度)(入力)", "計算の基礎となる額(過年度)(入力)", kText, 1, 0, false},  // 143
    {"計算の基礎となる額(過年度)", "計算の基礎となる額(過年度)", "計算の基礎となる額(過年度)", kText, 12, 0, false},  // 144
    {"資産グループコード", "資産グループコード", "資産グループコード", kInt32, 5, 0, false},  // 145
    {"経過措置(減損用)", "経過措置(減損用)", "経過措置(減損用)", kText, 10, 0, false},  // 146
    {"耐用年数短縮(減損用)", "耐用年数短縮(減損用)", "耐用年数短縮(減損用)", kText, 18, 0, false},  // 147
    {"計算用の帳簿価額", "計算用の帳簿価額", "計算用の帳簿価額", kText, 12, 0, false},  // 148
    {"計算用の耐用年数", "計算用の耐用年数", "計算用の耐用年数", kInt16, 3, 0, false},  // 149
    {"メモ欄上段", "メモ上", "メモ上", kText, 20, 0, true},  // 150
    {"メモ欄下段,", "メモ下", "メモ下", kText, 20, 0, true},  // 151
};
// clang-format on

struct TypeColumnDef {
  const char* item;
  Kind kind;
  int width;
  int decimals;
  bool required;
};

constexpr TypeColumnDef kTypeColumns[kTypeColumnCount] = {
    {"資産種類コード文字", kText, 2, 0, false},
    {"資産種類名", kText, 12, 0, false},
    {"資産分類区分", kText, 12, 0, false},
    {"償却区分", kText, 10, 0, false},
    {"償却方法", kText, 10, 0, false},
    {"除却方法", kText, 14, 0, false},
    {"残存割合", kInt32, 2, 0, true},
    {"償却可能限度割合", kInt32, 2, 0, true},
    {"償却資産申告の種類名称", kText, 16, 0, false},
    {"経費按分割合1分子", kCurrency, 6, 2, true},
    {"経費按分割合1分母", kCurrency, 6, 2, true},
    {"経費按分割合2分子", kCurrency, 6, 2, true},
    {"経費按分割合2分母", kCurrency, 6, 2, true},
    {"経費按分割合3分子", kCurrency, 6, 2, true},
    {"経費按分割合3分母", kCurrency, 6, 2, true},
    {"生物区分", kText, 10, 0, false},
};

// The program's literals are CP932 (g++, -fexec-charset=CP932). clang, which
// builds the fuzz targets, keeps them in UTF-8: there each text is measured
// as its CP932 form would be, so that every width and offset stays the
// program's, and a name is cut to its field.
constexpr bool kCp932Literals = sizeof("表") == 3;

// Bytes of text in CP932.
constexpr size_t Length(const char* text) {
  size_t n = 0;
  for (size_t i = 0; text[i] != '\0'; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (kCp932Literals || c < 0x80) {
      ++n;
    } else if ((c & 0xC0) != 0x80) {
      // A UTF-8 lead byte: halfwidth katakana (U+FF61 to U+FF9F) take one
      // byte in CP932, every other character two.
      unsigned char c1 = static_cast<unsigned char>(text[i + 1]);
      unsigned char c2 = static_cast<unsigned char>(text[i + 2]);
      bool halfwidth = c == 0xEF && ((c1 == 0xBD && c2 >= 0xA1) || (c1 == 0xBE && c2 <= 0x9F));
      n += halfwidth ? 1 : 2;
    }
  }
  return n;
}

// Bytes that a value of the kind takes in the record.
constexpr int SizeOf(Kind kind, int width) {
  switch (kind) {
    case kText: return width + 1;
    case kInt16: return 2;
    case kInt32: return 4;
    case kCurrency: return 8;
  }
  return 0;
}

constexpr StTAFORMAT Format(const char* item, Kind kind, int width, int decimals, bool required, int offset) {
  StTAFORMAT f{};
  size_t n = Length(item);
  // A name that does not fit the format record stops the build. (A UTF-8
  // build copies the first n bytes of the UTF-8 form: never more than it has.)
  if (n >= sizeof f.name) throw "column name longer than 35 bytes";
  for (size_t i = 0; i < n; ++i) f.name[i] = item[i];
  f.width = width;
  f.decimals = decimals;
  f.offset = offset;
  f.size = SizeOf(kind, width);
  f.type = kind == kText ? 0 : 1;
  f.required = required ? 1 : 0;
  return f;
}

// A table whose values lie back to back in a record of record_size bytes;
// column(i, offset) makes the format of column i at offset.
template <size_t N, class Column>
constexpr std::array<StTAFORMAT, N> MakeTable(Column column, size_t record_size) {
  std::array<StTAFORMAT, N> t{};
  int offset = 0;
  for (size_t i = 0; i < N; ++i) {
    t[i] = column(i, offset);
    offset += t[i].size;
  }
  if (offset != static_cast<int>(record_size)) throw "the record size does not fit the table";
  return t;
}

constexpr std::array<StTAFORMAT, kAssetColumnCount> MakeAssetRowTable() {
  return MakeTable<kAssetColumnCount>(
      [](size_t i, int offset) {
        const ColumnDef& c = kAssetColumns[i];
        return Format(c.item, c.kind, c.width, c.decimals, c.required, offset);
      },
      kAssetRowRecordSize);
}

// Each column-name column is one byte wider than its name, so no name is
// ever cut.
constexpr std::array<StTAFORMAT, kAssetColumnCount> MakeColumnNameTable() {
  return MakeTable<kAssetColumnCount>(
      [](size_t i, int offset) {
        const ColumnDef& c = kAssetColumns[i];
        return Format(c.head_item, kText, static_cast<int>(Length(c.line_name)) + 1, 0, c.required, offset);
      },
      kColumnNameRecordSize);
}

constexpr std::array<StTAFORMAT, kTypeColumnCount> MakeTypeRowTable() {
  return MakeTable<kTypeColumnCount>(
      [](size_t i, int offset) {
        const TypeColumnDef& c = kTypeColumns[i];
        return Format(c.item, c.kind, c.width, c.decimals, c.required, offset);
      },
      kTypeRowRecordSize);
}

template <size_t N>
constexpr void CopyTable(const std::array<StTAFORMAT, N>& from, StTAFORMAT (&to)[N]) {
  for (size_t i = 0; i < N; ++i) to[i] = from[i];
}

struct Tables {
  StTAFORMAT asset_row[kAssetColumnCount];
  StTAFORMAT column_name[kAssetColumnCount];
  StTAFORMAT header_line[1];
  StTAFORMAT type_row[kTypeColumnCount];
};

constexpr Tables MakeTables() {
  Tables t{};
  CopyTable(MakeAssetRowTable(), t.asset_row);
  CopyTable(MakeColumnNameTable(), t.column_name);
  t.header_line[0] = Format("ヘッダー行", kText, kHeaderLineWidth, 0, false, 0);
  CopyTable(MakeTypeRowTable(), t.type_row);
  return t;
}

// Non-const only because the accessor's constructor takes a plain pointer;
// the accessor copies the table and never writes to it.
constinit Tables g_tables = MakeTables();

}  // namespace

StTAFORMAT* AssetRowFormat() { return g_tables.asset_row; }
StTAFORMAT* ColumnNameFormat() { return g_tables.column_name; }
StTAFORMAT* HeaderLineFormat() { return g_tables.header_line; }
StTAFORMAT* TypeRowFormat() { return g_tables.type_row; }

const char* AssetColumnLineName(long i) {
  return (i >= 0 && i < kAssetColumnCount) ? kAssetColumns[i].line_name : "";
}
