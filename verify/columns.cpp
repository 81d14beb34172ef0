#include "verify/columns.h"

#include <cstring>

namespace verify {

// clang-format off
const ColumnSpec kAssetColumns[kAssetColumnCount] = {
    {";資産コード", "資産コード文字", ColumnKind::kText, 8, 0, true},  // 1
    {"分割コード", "分割コード", ColumnKind::kText, 2, 0, true},  // 2
    {"資産種類コード", "資産種類コード", ColumnKind::kText, 2, 0, true},  // 3
    {"資産種類名", "資産種類名", ColumnKind::kText, 20, 0, true},  // 4
    {"償却方法", "償却方法", ColumnKind::kText, 10, 0, true},  // 5
    {"資本的支出区分", "資本的支出区分", ColumnKind::kText, 16, 0, true},  // 6
    {"本支店コード", "本支店コード", ColumnKind::kInt32, 8, 0, true},  // 7
    {"部門コード", "部門コード", ColumnKind::kInt32, 5, 0, true},  // 8
    {"申告先地域コード", "申告先地域コード", ColumnKind::kInt32, 5, 0, true},  // 9
    {"資産名称", "資産名称", ColumnKind::kText, 32, 0, true},  // 10
    {"構造名", "構造名", ColumnKind::kText, 16, 0, true},  // 11
    {"細目名", "細目名", ColumnKind::kText, 16, 0, true},  // 12
    {"取得年月日", "取得日年月日", ColumnKind::kInt32, 8, 0, true},  // 13
    {"数量", "数量", ColumnKind::kCurrency, 6, 2, true},  // 14
    {"単位", "単位", ColumnKind::kText, 4, 0, true},  // 15
    {"耐用年数", "耐用年数", ColumnKind::kInt16, 3, 0, true},  // 16
    {"耐用年数短縮", "耐用年数短縮", ColumnKind::kText, 18, 0, false},  // 17
    {"耐用年数短縮(保証額未満)[圧縮記帳(引当金・積立金)の場合の償却額計算用]", "耐用年数短縮(保証額未満)", ColumnKind::kText, 1, 0, false},  // 18
    {"耐用年数(地方税計算用)", "地方税耐用年数", ColumnKind::kInt16, 3, 0, true},  // 19
    {"償却率", "償却率", ColumnKind::kCurrency, 1, 3, true},  // 20
    {"経過措置", "経過措置", ColumnKind::kText, 10, 0, false},  // 21
    {"償却期間の月数", "償却期間の月数", ColumnKind::kText, 4, 0, true},  // 22
    {"取得価額", "取得価額", ColumnKind::kText, 12, 0, true},  // 23
    {"圧縮記帳の経理方式", "経理方式", ColumnKind::kText, 8, 0, true},  // 24
    {"圧縮記帳額", "圧縮記帳額", ColumnKind::kText, 12, 0, true},  // 25
    {"期首圧縮記帳引当金残高", "期首圧縮引当金残高", ColumnKind::kText, 12, 0, true},  // 26
    {"引当金期中取崩額", "引当金期中取崩額", ColumnKind::kText, 12, 0, true},  // 27
    {"差引取得価額", "差引取得価額", ColumnKind::kText, 12, 0, true},  // 28
    {"残存価額 率", "残存価額率", ColumnKind::kInt32, 3, 0, true},  // 29
    {"残存価額(入力)", "入力残存価額", ColumnKind::kText, 1, 0, true},  // 30
    {"残存価額", "残存価額", ColumnKind::kText, 12, 0, true},  // 31
    {"残存価額(入力)[圧縮記帳(引当金・積立金)の場合の償却額計算用]", "入力残存価額(圧縮記帳の場合)", ColumnKind::kText, 1, 0, false},  // 32
    {"残存価額[圧縮記帳(引当金・積立金)の場合の償却額計算用]", "残存価額(圧縮記帳の場合)", ColumnKind::kText, 12, 0, false},  // 33
    {"償却可能限度額 率", "償却可能限度額率", ColumnKind::kInt32, 3, 0, true},  // 34
    {"償却可能限度額(入力)", "入力償却可能限度額", ColumnKind::kText, 1, 0, true},  // 35
    {"償却可能限度額", "償却可能限度額", ColumnKind::kText, 12, 0, true},  // 36
    {"償却可能限度額(入力)[圧縮記帳(引当金・積立金)の場合の償却額計算用]", "入力償却可能限度額(圧縮記帳の場合)", ColumnKind::kText, 1, 0, false},  // 37
    {"償却可能限度額[圧縮記帳(引当金・積立金)の場合の償却額計算用]", "償却可能限度額(圧縮記帳の場合)", ColumnKind::kText, 12, 0, false},  // 38
    {"償却月数(入力)", "入力償却月数", ColumnKind::kText, 1, 0, true},  // 39
    {"償却月数", "償却月数", ColumnKind::kInt16, 2, 0, true},  // 40
    {"期首帳簿価額(入力)", "期首帳簿価額(入力)", ColumnKind::kText, 1, 0, false},  // 41
    {"期首帳簿価額", "期首帳簿価額", ColumnKind::kText, 12, 0, true},  // 42
    {"期首帳簿価額(償却方法変更・耐用年数短縮・定率法経過措置用)", "変更期首帳簿価額", ColumnKind::kText, 12, 0, true},  // 43
    {"期首帳簿価額(〃)[圧縮記帳(引当金・積立金)の場合の償却額計算用]", "変更期首帳簿価額(圧縮記帳の場合)", ColumnKind::kText, 12, 0, false},  // 44
    {"残存簿価(入力)", "残存簿価(入力)", ColumnKind::kText, 1, 0, false},  // 45
    {"残存簿価", "残存簿価", ColumnKind::kText, 12, 0, false},  // 46
    {"改定取得価額(入力)", "改定取得価額(入力)", ColumnKind::kText, 1, 0, false},  // 47
    {"改定取得価額", "改定取得価額", ColumnKind::kText, 12, 0, false},  // 48
    {"改定取得価額(入力)[圧縮記帳(引当金・積立金)の場合の償却額計算用]", "入力改定取得価額(圧縮記帳の場合)", ColumnKind::kText, 1, 0, false},  // 49
    {"改定取得価額[圧縮記帳(引当金・積立金)の場合の償却額計算用]", "改定取得価額(圧縮記帳の場合)", ColumnKind::kText, 12, 0, false},  // 50
    {"償却計算の基礎となる額", "償却基礎金額", ColumnKind::kText, 12, 0, true},  // 51
    {"算出償却額(入力)", "入力算出償却額", ColumnKind::kText, 1, 0, true},  // 52
    {"算出償却額", "算出償却額", ColumnKind::kText, 12, 0, true},  // 53
    {"期首償却過不足額", "期首償却過不足額", ColumnKind::kText, 12, 0, true},  // 54
    {"増加償却割合", "増加償却割合", ColumnKind::kInt16, 3, 0, true},  // 55
    {"増加償却額(入力)", "入力増加償却額", ColumnKind::kText, 1, 0, true},  // 56
    {"増加償却額", "増加償却額", ColumnKind::kText, 12, 0, true},  // 57
    {"特別償却区分", "特別償却区分", ColumnKind::kText, 4, 0, true},  // 58
    {"摘要条項 条", "摘要条", ColumnKind::kText, 10, 0, true},  // 59
    {"摘要条項 項", "摘要項", ColumnKind::kText, 10, 0, true},  // 60
    {"特別償却割合", "特別償却率", ColumnKind::kInt32, 3, 0, true},  // 61
    {"特別償却金額(入力)", "入力特別償却金額", ColumnKind::kText, 1, 0, true},  // 62
    {"特別償却金額", "特別償却金額", ColumnKind::kText, 12, 0, true},  // 63
    {"経理処理区分", "経理処理区分", ColumnKind::kText, 6, 0, true},  // 64
    {"当期償却限度額", "当期償却限度額", ColumnKind::kText, 12, 0, true},  // 65
    {"当期償却額(入力)", "入力当期償却額", ColumnKind::kText, 1, 0, true},  // 66
    {"当期償却額", "当期償却額", ColumnKind::kText, 12, 0, true},  // 67
    {"償却過不足額", "償却過不足額", ColumnKind::kText, 12, 0, true},  // 68
    {"償却実施率", "償却実施率", ColumnKind::kInt32, 3, 0, true},  // 69
    {"事業専用割合(分子)", "分子事業専用割合", ColumnKind::kCurrency, 3, 2, true},  // 70
    {"事業専用割合(分母)", "分母事業専用割合", ColumnKind::kCurrency, 3, 2, true},  // 71
    {"除却年月日", "除却年月日", ColumnKind::kInt32, 8, 0, true},  // 72
    {"除却時の計算方法", "除却計算方法", ColumnKind::kText, 14, 0, true},  // 73
    {"除却区分", "除却区分", ColumnKind::kText, 6, 0, false},  // 74
    {"除売却価額", "除売却価額", ColumnKind::kText, 12, 0, false},  // 75
    {"有姿除却年月日", "有姿除却年月日", ColumnKind::kInt32, 8, 0, true},  // 76
    {"有姿除却時の計算方法", "有姿除却時の計算方法", ColumnKind::kText, 14, 0, false},  // 77
    {"有姿除却 処分見込価額", "処分見込価額", ColumnKind::kText, 12, 0, true},  // 78
    {"有姿除却(処分)年月日", "処分年月日", ColumnKind::kInt32, 8, 0, true},  // 79
    {"前期除却区分", "前期除却区分", ColumnKind::kText, 1, 0, true},  // 80
    {"期末帳簿価額", "期末帳簿価額", ColumnKind::kText, 12, 0, true},  // 81
    {"期末引当金額", "期末引当", ColumnKind::kText, 12, 0, true},  // 82
    {"償却累計額", "償却累計額", ColumnKind::kText, 12, 0, true},  // 83
    {"販売管理費(分子)", "分子販売管理費", ColumnKind::kCurrency, 3, 2, true},  // 84
    {"販売管理費(分母)", "分母販売管理費", ColumnKind::kCurrency, 3, 2, true},  // 85
    {"販売管理費", "販売管理費", ColumnKind::kText, 12, 0, true},  // 86
    {"製造原価(分子)", "分子製造原価", ColumnKind::kCurrency, 3, 2, true},  // 87
    {"製造原価(分母)", "分母製造原価", ColumnKind::kCurrency, 3, 2, true},  // 88
    {"製造原価", "製造原価", ColumnKind::kText, 12, 0, true},  // 89
    {"営業外費用(分子)", "分子営業外費用", ColumnKind::kCurrency, 3, 2, true},  // 90
    {"営業外費用(分母)", "分母営業外費用", ColumnKind::kCurrency, 3, 2, true},  // 91
    {"営業外費用", "営業外費用", ColumnKind::kText, 12, 0, true},  // 92
    {"償却資産種類", "償却資産種類", ColumnKind::kText, 16, 0, true},  // 93
    {"地域移動", "地域移動", ColumnKind::kText, 1, 0, true},  // 94
    {"地域移動 地域コード(前回)", "地域コード", ColumnKind::kText, 8, 0, true},  // 95
    {"償却資産資産コード(入力)", "償却資産用資産コード入力区分", ColumnKind::kText, 1, 0, false},  // 96
    {"償却資産資産コード", "償却資産用資産コード", ColumnKind::kText, 20, 0, false},  // 97
    {"償却資産用取得価額 入力フラグ", "償却資産用取得価額 入力フラグ", ColumnKind::kText, 1, 0, false},  // 98
    {"償却資産用取得価額 手入力", "償却資産用取得価額 手入力", ColumnKind::kText, 12, 0, false},  // 99
    {"摘要全資産等(1)", "摘要全資産1", ColumnKind::kText, 20, 0, true},  // 100
    {"摘要全資産等(2)", "摘要全資産2", ColumnKind::kText, 20, 0, true},  // 101
    {"摘要減少(1)", "摘要減少1", ColumnKind::kText, 20, 0, true},  // 102
    {"摘要減少(2)", "摘要減少2", ColumnKind::kText, 20, 0, true},  // 103
    {"前回の帳簿価額(入力)", "入力前帳簿価額", ColumnKind::kText, 1, 0, true},  // 104
    {"前回の帳簿価額", "前帳簿価額", ColumnKind::kText, 12, 0, true},  // 105
    {"前回の評価額(入力)", "入力前評価額", ColumnKind::kText, 1, 0, true},  // 106
    {"前回の評価額", "前評価額", ColumnKind::kText, 12, 0, true},  // 107
    {"今回の帳簿価額(入力)", "入力今帳簿価額", ColumnKind::kText, 1, 0, true},  // 108
    {"今回の帳簿価額", "今帳簿価額", ColumnKind::kText, 12, 0, true},  // 109
    {"今回の評価額(入力)", "入力今評価額", ColumnKind::kText, 1, 0, true},  // 110
    {"今回の評価額", "今評価額", ColumnKind::kText, 12, 0, true},  // 111
    {"課税標準の特例(分子)", "分子特例課税", ColumnKind::kInt16, 1, 0, true},  // 112
    {"課税標準の特例(分母)", "分母特例課税", ColumnKind::kInt16, 2, 0, true},  // 113
    {"特例の適用終了年度", "適用終了年度", ColumnKind::kInt16, 2, 0, true},  // 114
    {"増加事由", "増加事由", ColumnKind::kText, 6, 0, true},  // 115
    {"減少事由", "減少事由", ColumnKind::kText, 6, 0, true},  // 116
    {"減少区分", "減少区分", ColumnKind::kText, 4, 0, true},  // 117
    {"当期減損処理設定", "当期減損処理設定", ColumnKind::kText, 1, 0, false},  // 118
    {"減損年月日(当期)", "減損年月日(当期)", ColumnKind::kInt32, 8, 0, false},  // 119
    {"減損損失計上(当期)", "減損損失計上(当期)", ColumnKind::kText, 16, 0, false},  // 120
    {"減損前帳簿価額(当期)(入力)", "減損前帳簿価額(当期)(入力)", ColumnKind::kText, 1, 0, false},  // 121
    {"減損前帳簿価額(当期)", "減損前帳簿価額(当期)", ColumnKind::kText, 12, 0, false},  // 122
    {"減損損失額(当期)", "減損損失額(当期)", ColumnKind::kText, 12, 0, false},  // 123
    {"減損後帳簿価額(当期)", "減損後帳簿価額(当期)", ColumnKind::kText, 12, 0, false},  // 124
    {"減損後耐用年数(当期)(入力)", "減損後耐用年数(当期)(入力)", ColumnKind::kText, 1, 0, false},  // 125
    {"減損後耐用年数(当期)", "減損後耐用年数(当期)", ColumnKind::kText, 12, 0, false},  // 126
    {"減損後償却率(当期)(入力)", "減損後償却率(当期)(入力)", ColumnKind::kText, 1, 0, false},  // 127
    {"減損後償却率(当期)", "減損後償却率(当期)", ColumnKind::kCurrency, 1, 3, false},  // 128
    {"減損後残存価額(当期)(入力)", "減損後残存価額(当期)(入力)", ColumnKind::kText, 1, 0, false},  // 129
    {"減損後残存価額(当期)", "減損後残存価額(当期)", ColumnKind::kText, 12, 0, false},  // 130
    {"減損損失累計額(当期)", "減損損失累計額(当期)", ColumnKind::kText, 12, 0, false},  // 131
    {"過年度減損処理設定", "過年度減損処理設定", ColumnKind::kText, 1, 0, false},  // 132
    {"最終減損年月日(過年度)", "最終減損年月日(過年度)", ColumnKind::kInt32, 8, 0, false},  // 133
    {"減損損失計上(過年度)", "減損損失計上(過年度)", ColumnKind::kText, 16, 0, false},  // 134
    {"減損後帳簿価額(過年度)", "減損後帳簿価額(過年度)", ColumnKind::kText, 12, 0, false},  // 135
    {"減損損失累計額(過年度)", "減損損失累計額(過年度)", ColumnKind::kText, 12, 0, false},  // 136
    {"減損後耐用年数(過年度)", "減損後耐用年数(過年度)", ColumnKind::kInt32, 4, 0, false},  // 137
    {"減損後償却率(過年度)(入力)", "減損後償却率(過年度)(入力)", ColumnKind::kText, 1, 0, false},  // 138
    {"減損後償却率(過年度)", "減損後償却率(過年度)", ColumnKind::kCurrency, 1, 3, false},  // 139
    {"減損後残存価額(過年度)(入力)", "減損後残存価額(過年度)(入力)", ColumnKind::kText, 1, 0, false},  // 140
    {"減損後残存価額(過年度)", "減損後残存価額(過年度)", ColumnKind::kText, 12, 0, false},  // 141
    {"減損後改定取得価額(過年度)", "減損後改定取得価額(過年度)", ColumnKind::kText, 12, 0, false},  // 142
    {"計算の基礎となる額(過年度)(入力)", "計算の基礎となる額(過年度)(入力)", ColumnKind::kText, 1, 0, false},  // 143
    {"計算の基礎となる額(過年度)", "計算の基礎となる額(過年度)", ColumnKind::kText, 12, 0, false},  // 144
    {"資産グループコード", "資産グループコード", ColumnKind::kInt32, 5, 0, false},  // 145
    {"経過措置(減損用)", "経過措置(減損用)", ColumnKind::kText, 10, 0, false},  // 146
    {"耐用年数短縮(減損用)", "耐用年数短縮(減損用)", ColumnKind::kText, 18, 0, false},  // 147
    {"計算用の帳簿価額", "計算用の帳簿価額", ColumnKind::kText, 12, 0, false},  // 148
    {"計算用の耐用年数", "計算用の耐用年数", ColumnKind::kInt16, 3, 0, false},  // 149
    {"メモ欄上段", "メモ上", ColumnKind::kText, 20, 0, true},  // 150
    {"メモ欄下段,", "メモ下", ColumnKind::kText, 20, 0, true},  // 151
};

const ColumnSpec kTypeColumns[kTypeColumnCount] = {
    {"", "資産種類コード文字", ColumnKind::kText, 2, 0, false},  // 1
    {"", "資産種類名", ColumnKind::kText, 12, 0, false},  // 2
    {"", "資産分類区分", ColumnKind::kText, 12, 0, false},  // 3
    {"", "償却区分", ColumnKind::kText, 10, 0, false},  // 4
    {"", "償却方法", ColumnKind::kText, 10, 0, false},  // 5
    {"", "除却方法", ColumnKind::kText, 14, 0, false},  // 6
    {"", "残存割合", ColumnKind::kInt32, 2, 0, true},  // 7
    {"", "償却可能限度割合", ColumnKind::kInt32, 2, 0, true},  // 8
    {"", "償却資産申告の種類名称", ColumnKind::kText, 16, 0, false},  // 9
    {"", "経費按分割合1分子", ColumnKind::kCurrency, 6, 2, true},  // 10
    {"", "経費按分割合1分母", ColumnKind::kCurrency, 6, 2, true},  // 11
    {"", "経費按分割合2分子", ColumnKind::kCurrency, 6, 2, true},  // 12
    {"", "経費按分割合2分母", ColumnKind::kCurrency, 6, 2, true},  // 13
    {"", "経費按分割合3分子", ColumnKind::kCurrency, 6, 2, true},  // 14
    {"", "経費按分割合3分母", ColumnKind::kCurrency, 6, 2, true},  // 15
    {"", "生物区分", ColumnKind::kText, 10, 0, false},  // 16
};
// clang-format on

std::vector<StTAFORMAT> FormatTable(const ColumnSpec* columns, long count, bool keep_required) {
  std::vector<StTAFORMAT> table(static_cast<size_t>(count));
  int32_t offset = 0;
  for (long i = 0; i < count; ++i) {
    const ColumnSpec& c = columns[i];
    StTAFORMAT& f = table[static_cast<size_t>(i)];
    std::strncpy(f.name, c.item, sizeof f.name - 1);
    f.width = c.width;
    f.decimals = c.decimals;
    f.offset = offset;
    switch (c.kind) {
      case ColumnKind::kText: f.size = c.width + 1; break;
      case ColumnKind::kInt16: f.size = 2; break;
      case ColumnKind::kInt32: f.size = 4; break;
      case ColumnKind::kCurrency: f.size = 8; break;
    }
    f.type = c.kind == ColumnKind::kText ? 0 : 1;
    f.required = keep_required && c.required ? 1 : 0;
    offset += f.size;
  }
  return table;
}

const char* AssetColumnName(long i) {
  return i >= 0 && i < kAssetColumnCount ? kAssetColumns[i].line_name : "";
}

}  // namespace verify
