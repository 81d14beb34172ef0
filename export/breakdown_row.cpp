// The breakdown rows of a lump-sum asset: one row per item under an 8-byte
// code made of the asset code part and the item's breakdown part.
#include <cstdio>
#include <cstdlib>

#include "export/asset_exporter.h"
#include "platform/cp932.h"

void AssetExporter::WriteBreakdownRow(const StKOTEISHISANINFO& m, const StIKKATSUINFO& item) {
  AssetRow row(writer_.asset_row.record);
  row.Clear();

  std::string_view code = cp932::FieldText(m.szCode, sizeof m.szCode);
  std::string_view number = cp932::FieldText(item.szBreakdownNo, sizeof item.szBreakdownNo);
  constexpr size_t kCodeBytes = 6, kNumberBytes = 2;
  char column1[16];
  size_t n = CodePart(code, kCodeBytes, column1);
  CodePart(number, kNumberBytes, column1 + n);
  // Only 99 items fit the two digits: the 100th gives "00" and no row.
  if (std::atoi(column1 + n) == 0) {
    WriteErrorLog("\n＜WARNING＞\n連携可能な最大内訳件数は99件です。\n100件目から後の内訳は出力されません。");
    return;
  }
  row.Text(kColCode, column1);
  if (code.size() + number.size() > kCodeBytes + kNumberBytes) {
    Remarkf(
        "\n＜WARNING＞\n資産コード+内訳付番｢%.*s%.*s｣は、連携可能最大桁数をオーバーしています。\n"
        "データが、正しく連携されない可能性があります。",
        PrintLength(code), code.data(), PrintLength(number), number.data());
  }
  // Column 1 shown as "%08s" would show it: zero-filled to eight bytes.
  char shown[16];
  ZeroPadLeft(column1, kCodeBytes + kNumberBytes, shown);
  if (!CheckChars(column1)) {
    Remarkf("\n＜ERROR＞\n資産コード｢%s｣には、半角英数以外の文字が使用されています。", shown);
  } else {
    switch (writer_.codes.RegisterCode(column1)) {
      case CodeRegister::kDuplicate:
        Remarkf(
            "\n＜ERROR＞\n資産コード｢%.*s｣と内訳付番｢%.*s｣から構成される\n資産・内訳コード｢%s｣は、\n"
            "他の資産･内訳コードと重複しています。",
            PrintLength(code), code.data(), PrintLength(number), number.data(), shown);
        break;
      case CodeRegister::kPrefixDuplicate:
        Remarkf(
            "\n＜ERROR＞\n資産コード+内訳付番｢%s｣は、\n資産コード｢%.*"
            "s｣が他の資産コードと重複してしまいます。",
            shown, PrintLength(code), code.data());
        break;
      case CodeRegister::kAdded: break;
    }
  }

  row.OwnText(kColMethod, "一括決算");
  NameColumn(row, cp932::FieldText(item.szName, sizeof item.szName), "内訳名称");
  row.Int32(kColAcquisitionDate, item.lAcquisitionDate);
  const double quantity = item.lQuantity * 0.01;
  RealColumn(row, kColQuantity, quantity);
  if (static_cast<float>(quantity) >= 1000000.0f) LogQuantityWarning(quantity, &writer_);
  AmountColumn(row, kColAcquisitionCost, item.cyAcquisitionCost.int64);
  RatioColumns(row, m);

  row.ApplyMask(&writer_.asset_row);
  writer_.WriteLine(kAssetDataFile, &writer_.asset_row);
}
