#include "integration/estimate_fill.h"

#include <gtest/gtest.h>

#include "core/excel/cell_address.h"
#include "support/sjis.h"

namespace quilto::test {
namespace {

struct DetailLine {
    const char* name;
    const char* spec;
    const char* quantity;
    const char* unit;
    const char* price;
};

struct Construction {
    const char* number;
    const char* name;
    std::vector<DetailLine> lines;
};

std::string Amount(const DetailLine& line) {
    const long long value = std::llround(std::stod(line.quantity) * std::stoll(line.price));
    std::string digits = std::to_string(value);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<std::size_t>(i), 1, ',');
    return digits;
}

std::vector<Construction> SampleConstructions() {
    std::vector<Construction> list = {{"1",
                                       "仮設工事",
                                       {{"外部足場", "くさび緊結式 W600", "320", "㎡", "1200"},
                                        {"養生シート", "防炎メッシュ", "320", "㎡", "300"},
                                        {"朝顔", "", "1", "式", "45000"},
                                        {"仮設トイレ", "洋式 水洗", "2", "ヶ月", "18000"},
                                        {"運搬費", "", "1", "式", "38000"},
                                        {"諸経費", "", "1", "式", "25000"}}},
                                      {"2", "外壁改修工事", {}},
                                      {"3",
                                       "屋根改修工事",
                                       {{"既存屋根材撤去", "化粧スレート", "96", "㎡", "1800"},
                                        {"ルーフィング", "改質アスファルト", "96", "㎡", "1100"},
                                        {"屋根材", "ガルバリウム鋼板 0.35", "96", "㎡", "6800"},
                                        {"棟板金", "", "24", "ｍ", "4200"},
                                        {"雪止め金具", "", "40", "ヶ", "650"},
                                        {"廃材処分費", "", "1", "式", "48000"}}}};
    const DetailLine wall[] = {{"高圧洗浄", "150kgf/c㎡", "280", "㎡", "250"},
                               {"クラック補修", "Uカットシール", "35", "ｍ", "2400"},
                               {"シーリング打替", "変成シリコン", "180", "ｍ", "1050"},
                               {"下塗り", "微弾性フィラー", "280", "㎡", "700"},
                               {"中塗り", "ラジカル制御形", "280", "㎡", "900"},
                               {"上塗り", "ラジカル制御形", "280", "㎡", "900"}};
    for (int i = 0; i < 25; ++i) {
        DetailLine line = wall[i % 6];
        if (i >= 6) line.spec = i % 2 ? "北面" : "南面";
        list[1].lines.push_back(line);
    }
    return list;
}

class Writer {
  public:
    Writer(Workbook& book, const TableDefinitions& defs, FilledEstimate& out)
        : book_(book), defs_(defs), out_(out) {}
    void Activate(int sheet) {
        sheet_ = sheet;
        QString error;
        ASSERT_TRUE(book_.ActivateSheet(sheet, &error)) << error.toStdString();
    }
    void Fixed(const char* field, const std::string& utf8) {
        const std::string address = defs_.Text(field);
        if (address.empty()) return;
        Write(address, Sjis(utf8));
    }
    void Line(const char* field, int line, const std::string& utf8) {
        const CellPosition p = defs_.Cell(field);
        if (!p.IsValid()) return;
        std::string letters;
        for (int c = p.column; c > 0; c = (c - 1) / 26)
            letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
        Write(letters + std::to_string(p.row + line - 1), Sjis(utf8));
    }

  private:
    void Write(const std::string& address, const std::string& cp932) {
        QString error;
        ASSERT_TRUE(book_.WriteCell(address, cp932, &error)) << error.toStdString();
        out_.cells.push_back({sheet_, address, cp932});
    }
    Workbook& book_;
    const TableDefinitions& defs_;
    FilledEstimate& out_;
    int sheet_ = 1;
};

}  // namespace

FilledEstimate FillSampleEstimate(Workbook& book, const TableDefinitions& defs, bool cost,
                                  bool withCover) {
    FilledEstimate out;
    QString error;
    const std::vector<Construction> constructions = SampleConstructions();
    const int perPage = EffectiveRowsPerPage(defs.Rows().detail);
    std::vector<int> pagesOf;
    for (const Construction& c : constructions) {
        const int n = static_cast<int>(c.lines.size());
        pagesOf.push_back(n <= perPage ? 1 : 1 + (n - perPage + perPage - 1) / perPage);
        out.detailPages += pagesOf.back();
    }
    // Details first, so that the earlier sheet numbers stay valid.
    for (int i = 1; i <= out.detailPages - 1; ++i)
        EXPECT_TRUE(book.CopySheetAfter(4, 3 + i, &error)) << error.toStdString();
    // The itemised-costs sheet the templates end with is not asked for here: hidden, as the
    // output hides it then.
    if (book.SheetCount() > 3 + out.detailPages) {
        EXPECT_TRUE(book.SetSheetVisible(book.SheetCount(), false, &error));
    }
    if (!withCover) {
        EXPECT_TRUE(book.SetSheetVisible(1, false, &error));
    }
    out.pages = (withCover ? 1 : 0) + 2 + out.detailPages;

    Writer w(book, defs, out);
    w.Activate(1);
    w.Fixed("HMBango", "'000123");
    w.Fixed("HYMD1", "令和7年12月10日");
    w.Fixed("HName1", "山田 太郎");
    w.Fixed("HTitle1", "山田邸 外壁・屋根改修工事");
    w.Fixed("HBasyo1", "東京都世田谷区桜丘3丁目12-5");
    w.Fixed("HYMD2", "令和8年1月13日");
    w.Fixed("HYMD3", "令和8年2月27日");
    w.Fixed("HKigen1", "御見積日より30日間");
    w.Fixed("HBiko01", "足場の設置期間中は駐車場をご使用いただけません。");
    w.Fixed("HBiko02", "色の最終決定は塗り板見本にてお願いいたします。");
    w.Fixed("HBiko03", "雨天の場合は工期が延びることがあります。");
    w.Fixed("HGoukei", "   3,960,000");
    w.Fixed("Hadd1", "（消費税込み）");
    w.Fixed("HJName1", "株式会社 さくら建装");
    w.Fixed("HJName2", "一級建築士事務所");
    w.Fixed("HJUbin", "〒156-0054");
    w.Fixed("HJJyu1", "東京都世田谷区桜丘1-2-3");
    w.Fixed("HJJyu2", "さくらビル2F");
    w.Fixed("HJTel", "03-1234-5678");
    w.Fixed("HJFax", "03-1234-5679");
    w.Fixed("HJDaihyo", "代表取締役 佐藤 一郎");
    w.Fixed("HJTanto", "鈴木 花子");
    w.Fixed("Hadd2", "SAKURA KENSOU");

    struct TotalLine {
        const char* number;
        const char* name;
        const char* quantity;
        const char* unit;
        const char* amount;
        const char* cost;
        const char* remarks;
    };
    const TotalLine lines[] = {
        {"1", "仮設工事", "1", "式", "675,000", "540,000", "足場 320㎡"},
        {"2", "外壁改修工事", "1", "式", "2,071,350", "1,553,500", "シリコン系 3回塗り"},
        {"3", "屋根改修工事", "1", "式", "1,254,400", "940,800", "カバー工法"},
        {"", "小計", "", "", "4,000,750", "3,034,300", ""},
        {"", "値引", "", "", "-400,750", "", "//社内: 端数調整"},
        {"", "計", "", "", "3,600,000", "", ""},
        {"", "消費税（10%）", "", "", "360,000", "", ""},
        {"", "合計", "", "", "3,960,000", "", ""},
    };
    const auto lineSheet = [&](int sheet, char prefix) {
        w.Activate(sheet);
        w.Fixed(prefix == 'F' ? "Fadd2" : "Dadd2", "SAKURA KENSOU");
        const std::string p(1, prefix);
        for (int i = 0; i < 8; ++i) {
            const TotalLine& l = lines[i];
            w.Line((p + "GBan").c_str(), i + 1, l.number);
            w.Line((p + "Name").c_str(), i + 1, l.name);
            w.Line((p + "Suu").c_str(), i + 1, l.quantity);
            w.Line((p + "Tanni").c_str(), i + 1, l.unit);
            w.Line((p + "Ugou").c_str(), i + 1, l.amount);
            if (cost) w.Line(prefix == 'F' ? "FSGou" : "DStanka", i + 1, l.cost);
            if (std::string(l.remarks).rfind("//", 0) != 0)
                w.Line((p + (cost ? "Tekiyo1" : "Tekiyo2")).c_str(), i + 1, l.remarks);
        }
    };
    lineSheet(2, 'F');
    lineSheet(3, 'D');

    int sheet = 3;
    for (std::size_t c = 0; c < constructions.size(); ++c) {
        const Construction& con = constructions[c];
        int line = 0;
        int page = 0;
        for (std::size_t i = 0; i < con.lines.size(); ++i) {
            if (page == 0 || line == perPage) {
                ++sheet;
                ++page;
                line = 0;
                w.Activate(sheet);
                w.Fixed("Eadd2", "SAKURA KENSOU");
                w.Fixed("Eadd1", std::string(con.number) + "-" + con.name);
            }
            ++line;
            const DetailLine& d = con.lines[i];
            w.Line("EGBan", line, std::to_string(i + 1));
            w.Line("EName", line, d.name);
            w.Line("EKikaku", line, d.spec);
            w.Line("ESuu", line, d.quantity);
            w.Line("ETanni", line, d.unit);
            w.Line("EUtanka", line, d.price);
            w.Line("EUgou", line, Amount(d));
            if (cost) w.Line("ESgou", line, Amount({d.name, d.spec, d.quantity, d.unit, "800"}));
            w.Line(cost ? "ETekiyo1" : "ETekiyo2", line, i == 0 ? "材工共" : "");
        }
    }
    return out;
}

FilledEstimate FillSampleInvoice(Workbook& book, const TableDefinitions& defs, char part) {
    FilledEstimate out;
    QString error;
    const std::string p = std::string("S") + part;
    struct InvoiceLine {
        std::string number, name, spec, quantity, price, amount, remarks;
    };
    std::vector<InvoiceLine> lines;
    if (part == 'A') {
        lines = {{"1", "仮設工事", "", "1", "", "675,000", "足場 320㎡"},
                 {"2", "外壁改修工事", "", "1", "", "2,071,350", "シリコン系 3回塗り"},
                 {"3", "屋根改修工事", "", "1", "", "1,254,400", "カバー工法"}};
    } else {
        for (const Construction& c : SampleConstructions()) {
            lines.push_back({"", std::string("【") + c.name + "】", "", "", "", "", ""});
            int n = 0;
            for (const DetailLine& d : c.lines)
                lines.push_back(
                    {std::to_string(++n), d.name, d.spec, d.quantity, d.price, Amount(d), ""});
            lines.push_back({});
        }
    }
    const int first = defs.Count((p + "1LinP1").c_str());
    const int following = defs.Count((p + "2LinP1").c_str());
    const int count = static_cast<int>(lines.size());
    out.pages = count <= first ? 1 : 1 + (count - first + following - 1) / following;
    for (int i = 1; i <= out.pages - 2; ++i)
        EXPECT_TRUE(book.CopySheetAfter(2, 1 + i, &error)) << error.toStdString();
    if (out.pages == 1) {
        EXPECT_TRUE(book.SetSheetVisible(2, false, &error));
    }

    Writer w(book, defs, out);
    w.Activate(1);
    const auto field = [&](const char* suffix) { return p + suffix; };
    w.Fixed(field("1HMno").c_str(), "'2025-0412");
    w.Fixed(field("1HYMD1").c_str(), "令和7年12月10日");
    w.Fixed(field("1HName1").c_str(), "山田 太郎");
    w.Fixed(field("1HGoukeiU").c_str(), "3960000");
    w.Fixed(field("1Hadd1").c_str(), "（消費税込み）");
    w.Fixed(field("1HSkei").c_str(), "4000750");
    w.Fixed(field("1HNebiki").c_str(), "-400750");
    w.Fixed(field("1HNakakei").c_str(), "3600000");
    w.Fixed(field("1HZei").c_str(), "360000");
    w.Fixed(field("1HGoukei").c_str(), "3960000");
    int sheet = 1, line = 0, page = 1;
    for (const InvoiceLine& l : lines) {
        ++line;
        if (line > (page == 1 ? first : following)) {
            w.Activate(++sheet);
            ++page;
            line = 1;
        }
        const std::string onPage = p + (page == 1 ? "1" : "2");
        if (line == 1) {
            w.Fixed((onPage + "add2").c_str(), "SAKURA KENSOU");
            w.Fixed((onPage + "Page1").c_str(), std::to_string(page));
        }
        w.Line((onPage + "GBan").c_str(), line, l.number);
        w.Line((onPage + "Name").c_str(), line, l.name);
        w.Line((onPage + "Kikaku").c_str(), line, l.spec);
        w.Line((onPage + "Suu").c_str(), line, l.quantity);
        w.Line((onPage + "Utanka").c_str(), line, l.price);
        w.Line((onPage + "Ugou").c_str(), line, l.amount);
        w.Line((onPage + "Tekiyo").c_str(), line, l.remarks);
    }
    return out;
}

}  // namespace quilto::test
