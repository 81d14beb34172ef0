// Breakdown rows of lump-sum assets: codes, numbering limit, remarks.
#include <gtest/gtest.h>

#include "export/export_test_util.h"

namespace {

using namespace export_test;

const std::string kW5 =
    "\n＜WARNING＞\n連携可能な最大内訳件数は99件です。\n100件目から後の内訳は出力されません。";
std::string W6(const std::string& code, const std::string& number) {
  return "\n＜WARNING＞\n資産コード+内訳付番｢" + code + number +
         "｣は、連携可能最大桁数をオーバーしています。\nデータが、正しく連携されない可能性があります。";
}
std::string E3(const std::string& column1) {
  return "\n＜ERROR＞\n資産コード｢" + column1 + "｣には、半角英数以外の文字が使用されています。";
}
std::string E4(const std::string& code, const std::string& number, const std::string& column1) {
  return "\n＜ERROR＞\n資産コード｢" + code + "｣と内訳付番｢" + number + "｣から構成される\n資産・内訳コード｢" +
         column1 + "｣は、\n他の資産･内訳コードと重複しています。";
}
std::string E5(const std::string& column1, const std::string& code) {
  return "\n＜ERROR＞\n資産コード+内訳付番｢" + column1 + "｣は、\n資産コード｢" + code +
         "｣が他の資産コードと重複してしまいます。";
}

std::vector<StIKKATSUINFO> Numbered(int from, int to) {
  std::vector<StIKKATSUINFO> items;
  for (int i = from; i <= to; ++i) items.push_back(Item(i));
  return items;
}

TEST(BreakdownRowTest, CodesAndTheNumberingLimit) {
  RowRun run;
  StKOTEISHISANINFO m = Asset("123", 4);
  m.sBusinessRatio = 5000;
  m.sSgaShare = 30;
  m.lTypeCode = 5;
  std::strcpy(m.szMemo, "memo");
  std::strcpy(m.szQuantity, "3台");
  m.cyResidualValue = Yen(10);
  m.cySgaAmount = Yen(20);
  std::vector<StIKKATSUINFO> items = Numbered(1, 3);
  items[0].lQuantity = 150;
  items[0].lAcquisitionDate = 20200401;
  items[0].cyAcquisitionCost = Yen(5000);
  std::strcpy(items[0].szName, "机");
  items[2].lQuantity = 100000000;  // one million
  run.Items(m, items);
  StKOTEISHISANINFO many = Asset("X9", 4);
  run.Items(many, Numbered(1, 100));  // the exporter passes no more than 100

  ASSERT_EQ(run.rows().size(), 3u + 99u);
  EXPECT_EQ(run.Col(0, 1), "00012301");
  EXPECT_EQ(run.Col(1, 1), "00012302");
  EXPECT_EQ(run.Col(2, 1), "00012303");
  EXPECT_EQ(run.Col(3, 1), "0000X901");
  EXPECT_EQ(run.Col(101, 1), "0000X999");
  EXPECT_EQ(run.Col(0, 5), "一括決算");
  EXPECT_EQ(run.Col(0, 10), "机");
  EXPECT_EQ(run.Col(0, 13), "20200401");
  EXPECT_EQ(run.Col(0, 14), "1.50");
  EXPECT_EQ(run.Col(1, 14), "0.00");
  EXPECT_EQ(run.Col(2, 14), "1000000.00");
  EXPECT_EQ(run.Col(0, 23), "5000");
  EXPECT_EQ(run.Col(1, 23), "");
  EXPECT_EQ(run.Col(0, 70), "50.00");
  EXPECT_EQ(run.Col(0, 71), "100.00");
  EXPECT_EQ(run.Col(0, 84), "30.00");
  EXPECT_EQ(run.Col(0, 85), "100.00");
  EXPECT_EQ(run.Col(0, 87), "70.00");
  EXPECT_EQ(run.Col(0, 88), "100.00");
  // Nothing of the master's own columns.
  for (int c : {3, 15, 31, 69, 81, 86, 89, 93, 150, 151}) EXPECT_EQ(run.Col(0, c), "") << c;
  for (const auto& row : run.rows()) EXPECT_EQ(row.size(), 151u);

  std::vector<std::string> expected = {
      "\n＜WARNING＞\n数量｢1000000.00｣は、連携可能最大桁数をオーバーしています。\n"
      "減価償却データが、正しく連携されない可能性があります。",
      kW5,
  };
  EXPECT_EQ(run.entries(), expected);
}

TEST(BreakdownRowTest, LongCodesAndDuplicates) {
  RowRun run;
  run.Items(Asset("1234567", 4), {Item(5), Item(12)});
  run.Items(Asset("12345678", 4), {Item(1)});
  run.Row(Asset("000777"));  // an ordinary asset first
  run.Items(Asset("777", 4), {Item(1), Item(2)});
  run.Items(Asset("A888", 4), {Item(1), Item(2)});  // same six characters as below
  run.Items(Asset("B00A888", 4), {Item(1), Item(2), Item(3)});
  run.Items(Asset("12-4", 4), {Item(1), Item(2)});
  run.Items(Asset("12-4", 4), {Item(1)});
  EXPECT_EQ(run.Col(0, 1), "23456705");
  EXPECT_EQ(run.Col(1, 1), "23456712");
  EXPECT_EQ(run.Col(2, 1), "34567801");
  EXPECT_EQ(run.Col(4, 1), "00077701");
  EXPECT_EQ(run.Col(10, 1), "00A88803");
  EXPECT_EQ(run.Col(11, 1), "0012-401");
  EXPECT_EQ(run.rows().size(), 14u);
  std::vector<std::string> expected = {
      W6("1234567", "12"),
      W6("12345678", "1"),
      E5("00077701", "777"),
      E5("00077702", "777"),
  };
  // 7 + 1 bytes: no W6; items 1 and 2 repeat the codes of "A888".
  expected.push_back(E4("B00A888", "1", "00A88801"));
  expected.push_back(E4("B00A888", "2", "00A88802"));
  expected.push_back(E3("0012-401"));
  expected.push_back(E3("0012-402"));
  expected.push_back(E3("0012-401"));
  EXPECT_EQ(run.entries(), expected);
}

TEST(BreakdownRowTest, ItemNamesAreCutWithoutSplittingCharacters) {
  RowRun run;
  std::string name = std::string(31, 'i') + "品名品名";  // 39 bytes; byte 32 starts a character
  std::string forty = std::string(40, 'j');
  StIKKATSUINFO a = Item(1, name.c_str());
  StIKKATSUINFO b = Item(2, forty.c_str());
  StIKKATSUINFO c = Item(3);
  std::memset(c.szName, 'k', sizeof c.szName);  // no terminator in the field
  run.Items(Asset("55", 4), {a, b, c});
  EXPECT_EQ(run.Col(0, 10), std::string(31, 'i'));
  EXPECT_EQ(run.Col(1, 10), std::string(32, 'j'));
  EXPECT_EQ(run.Col(2, 10), std::string(32, 'k'));
  auto w7 = [](const std::string& n) {
    return ("\n＜WARNING＞\n内訳名称｢" + n +
            "｣は、\n連携可能最大文字数をオーバーしています。\n超過した文字は、自動的に切り捨てられます。");
  };
  ASSERT_EQ(run.entries().size(), 3u);
  EXPECT_EQ(run.entries()[0], w7(name).substr(0, 152));
  EXPECT_EQ(run.entries()[1], w7(forty).substr(0, 152));
  EXPECT_EQ(run.entries()[2], w7(std::string(83, 'k')).substr(0, 152));
}

}  // namespace
