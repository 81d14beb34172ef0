#include "verify/reconcile.h"

#include <algorithm>
#include <tuple>

namespace verify {

namespace {

// Assets on one side only are named one by one up to here.
constexpr size_t kNamedAssets = 100;

std::string Plural(long n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string Signed(Yen value) { return (value > 0 ? "+" : "") + YenText(value, true); }

const std::string& NameOf(const std::map<std::string, std::string>& names, const std::string& type) {
  static const std::string none;
  auto it = names.find(type);
  return it == names.end() ? none : it->second;
}

class Reconciler {
 public:
  Reconciler(Side* file, StoreFigures* store, Reconciliation* out) : file_(file), store_(store), out_(out) {}

  void Lines() {
    FigureTable both = file_->table;
    if (store_ != nullptr) {
      for (const auto& [key, figures] : store_->side.table) both.try_emplace(key);
    }
    for (const auto& [key, unused] : both) {
      SheetLine line{key, TypeName(key.type), Find(file_->table, key), {}};
      if (store_ != nullptr) line.store = Find(store_->side.table, key);
      out_->total.file.Add(line.file);
      out_->total.store.Add(line.store);
      out_->lines.push_back(std::move(line));
    }
    // The breakdown rows, which carry no asset type, come last.
    std::stable_partition(out_->lines.begin(), out_->lines.end(),
                          [](const SheetLine& l) { return !l.key.type.empty(); });
  }

  void Header(const FileHeader& header) {
    std::string company = store_->company;
    OneLineForm(&company);
    const bool same = header.company_cut ? company.compare(0, header.company.size(), header.company) == 0
                                         : company == header.company;
    if (!same) Say("company: \"" + header.company + "\" in the file, \"" + company + "\" in the store");
    const std::string start = std::to_string(store_->period_start), end = std::to_string(store_->period_end);
    if (header.period_start != start || header.period_end != end) {
      Say("business year: " + header.period_start + "-" + header.period_end + " in the file, " + start + "-" +
          end + " in the store");
    }
  }

  void Types() {
    std::map<std::string, std::string> all = file_->type_names;
    all.insert(store_->side.type_names.begin(), store_->side.type_names.end());
    for (const auto& [type, name] : all) {
      const bool in_file = file_->type_names.count(type) > 0,
                 in_store = store_->side.type_names.count(type) > 0;
      const std::string shown = "asset type " + type + " \"" + name + "\"";
      if (!in_file) {
        Say(shown + " is in the store, not in syurui.SSC");
      } else if (!in_store) {
        Say(shown + " is in syurui.SSC, not in the store");
      } else if (file_->type_names.at(type) != store_->side.type_names.at(type)) {
        Say("asset type " + type + ": \"" + file_->type_names.at(type) + "\" in syurui.SSC, \"" +
            store_->side.type_names.at(type) + "\" in the store");
      }
    }
  }

  void Counts() {
    for (const SheetLine& line : out_->lines) {
      const std::string name = LineName(line);
      const Figures &f = line.file, &s = line.store;
      if (f.assets != s.assets)
        Say(name + ": " + Plural(f.assets, "asset", "assets") + " in the file, " + std::to_string(s.assets) +
            " in the store");
      if (f.breakdown_rows != s.breakdown_rows)
        Say(name + ": " + Plural(f.breakdown_rows, "breakdown row", "breakdown rows") + " in the file, " +
            std::to_string(s.breakdown_rows) + " in the store");
      for (int i = 0; i < kFigureCount; ++i) {
        const Amount &fa = f.amounts[i], &sa = s.amounts[i];
        if (fa.sum != sa.sum) {
          Say(name + ": " + FigureName(i) + " " + YenText(fa.sum, true) + " in the file, " +
              YenText(sa.sum, true) + " in the store: " + Signed(fa.sum - sa.sum) + " yen");
        }
        if (fa.over_limit != sa.over_limit) {
          Say(name + ": " + FigureName(i) + ": " + Plural(fa.over_limit, "amount", "amounts") +
              " over the digit limit in the file, " + std::to_string(sa.over_limit) + " in the store");
        }
      }
    }
  }

  // Each asset by its code: on one side only, more often on one side, or
  // on another line of the sheet.
  void Codes() {
    file_->SortCodes();
    const std::vector<CodedRow>& f = file_->codes;
    const std::vector<CodedRow>& s = store_->side.codes;
    std::vector<std::pair<std::string, std::string>> named;  // code text, sentence
    size_t unnamed = 0;
    auto name = [&](uint64_t code, std::string sentence) {
      named.emplace_back(CodeText(code), std::move(sentence));
    };
    for (size_t i = 0, j = 0; i < f.size() || j < s.size();) {
      const uint64_t code = i < f.size() && (j >= s.size() || f[i].code <= s[j].code) ? f[i].code : s[j].code;
      const size_t i0 = i, j0 = j;
      while (i < f.size() && f[i].code == code) ++i;
      while (j < s.size() && s[j].code == code) ++j;
      const size_t in_file = i - i0, in_store = j - j0;
      const std::string shown = "asset " + CodeText(code) + " (";
      if (in_store == 0) {
        name(code, shown + GroupName(*f[i0].group) + ") is in the file, not in the store");
      } else if (in_file == 0) {
        name(code, shown + GroupName(*s[j0].group) + ") is in the store, not in the file");
      } else if (in_file != in_store) {
        name(code, shown + GroupName(*f[i0].group) +
                       "): " + Plural(static_cast<long>(in_file), "row", "rows") + " in the file, " +
                       std::to_string(in_store) + " in the store");
      } else if (in_file == 1 && *f[i0].group != *s[j0].group) {
        name(code, "asset " + CodeText(code) + ": " + GroupName(*f[i0].group) + " in the file, " +
                       GroupName(*s[j0].group) + " in the store");
      } else {
        continue;
      }
      if (named.size() > kNamedAssets) {
        named.pop_back();
        ++unnamed;
      }
    }
    std::sort(named.begin(), named.end());
    for (auto& [code, sentence] : named) Say(std::move(sentence));
    if (unnamed > 0)
      Say("and " + Plural(static_cast<long>(unnamed), "asset", "assets") + " more, not named here");
  }

 private:
  static Figures Find(const FigureTable& table, const GroupKey& key) {
    auto it = table.find(key);
    return it == table.end() ? Figures() : it->second;
  }
  std::string TypeName(const std::string& type) const {
    const std::string& name = NameOf(file_->type_names, type);
    return name.empty() && store_ != nullptr ? NameOf(store_->side.type_names, type) : name;
  }
  std::string GroupName(const GroupKey& key) const { return LineName({key, TypeName(key.type), {}, {}}); }
  // The company line carries no control character.
  static void OneLineForm(std::string* text) {
    for (char& c : *text) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    }
  }
  void Say(std::string sentence) { out_->differences.push_back(std::move(sentence)); }

  Side* file_;
  StoreFigures* store_;
  Reconciliation* out_;
};

}  // namespace

const char* FigureName(int figure) {
  static const char* const kNames[kFigureCount] = {"取得価額", "期首帳簿価額", "当期償却額", "期末帳簿価額"};
  return kNames[figure];
}

std::string LineName(const SheetLine& line) {
  if (line.key.type.empty() && line.key.method == kLumpSumMethod) return "一括決算 (breakdown rows)";
  std::string name = line.key.type.empty() ? "(no type)" : line.key.type;
  if (!line.type_name.empty()) name += " " + line.type_name;
  return name + " / " + (line.key.method.empty() ? "(no method)" : line.key.method);
}

Yen ShownFileFigure(const SheetLine& line, int figure, bool with_store) {
  return line.file.amounts[figure].sum + (with_store ? line.store.amounts[figure].over_limit_sum : 0);
}

bool FigureDiffers(const SheetLine& line, int figure) {
  const Amount &f = line.file.amounts[figure], &s = line.store.amounts[figure];
  return f.sum != s.sum || f.over_limit != s.over_limit;
}

Reconciliation Reconcile(Side* file, const FileHeader& header, StoreFigures* store) {
  Reconciliation out;
  out.with_store = store != nullptr;
  Reconciler r(file, store, &out);
  r.Lines();
  if (store != nullptr) {
    r.Header(header);
    r.Types();
    r.Counts();
    r.Codes();
  }
  return out;
}

}  // namespace verify
