#include "core/store/estimate_search.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>

#include "core/foundation/cp932.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/typed_date.h"
#include "core/store/environment.h"
#include "core/store/estimate_file.h"

namespace quilto {

char32_t FoldAlone(char16_t unit) {
    if (unit < 0x80) return unit >= u'A' && unit <= u'Z' ? unit + 0x20 : unit;
    if (unit >= 0x4E00 && unit <= 0x9FFF) return unit;  // CJK unified ideographs
    if (unit >= 0x3041 && unit <= 0x3096) return unit;  // hiragana
    if (unit >= 0x30A1 && unit <= 0x30FE) return unit;  // katakana, ・, ー and the marks
    if (unit >= 0x3001 && unit <= 0x3029) return unit;  // 、。 and brackets such as 「」【】
    if (unit >= 0x2500 && unit <= 0x25FF) return unit;  // box drawing and shapes such as ○■△
    if (unit == 0x3000) return u' ';                    // the ideographic space
    if (unit >= 0xFF01 && unit <= 0xFF5E) {             // full-width ASCII
        return FoldAlone(static_cast<char16_t>(unit - 0xFEE0));
    }
    return kFoldsWithNeighbours;
}

QString FoldForSearch(const QString& text) {
    // Most texts are made only of characters that fold alone: they are folded one by one,
    // and a text that folds to itself is given back as it is.
    const char16_t* units = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size && FoldAlone(units[i]) == units[i]) ++i;
    if (i == size) return text;
    QString folded(text.constData(), size);
    char16_t* out = reinterpret_cast<char16_t*>(folded.data());
    for (; i < size; ++i) {
        const char32_t alone = FoldAlone(units[i]);
        if (alone == kFoldsWithNeighbours)
            return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
        out[i] = static_cast<char16_t>(alone);
    }
    return folded;
}

SearchableEstimate SearchableOf(std::string_view number, const EstimateHeader* header,
                                bool issued) {
    SearchableEstimate s;
    s.issued = issued;
    s.number = Cp932ToQStringLossy(number);
    if (header && header->SignatureKind() != EstimateSignature::Foreign) {
        s.customer = Cp932ToQStringLossy(header->TextView(HeaderText::MName1));
        s.title = Cp932ToQStringLossy(header->TextView(HeaderText::MTitle1));
        s.place = Cp932ToQStringLossy(header->TextView(HeaderText::MBasyo1));
        s.printDate = Cp932ToQStringLossy(header->TextView(HeaderText::MYMD4));
        const std::string_view date = header->TextView(HeaderText::MYMD1);
        s.dateText = Cp932ToQStringLossy(date);
        if (s.dateText.trimmed().isEmpty()) {
            s.dateState = EstimateDateState::kBlank;
        } else if (const std::optional<QDate> read = ReadTypedDateCp932(date)) {
            s.dateState = EstimateDateState::kRead;
            s.date = *read;
        } else {
            s.dateState = EstimateDateState::kUnreadable;
        }
        s.amount = header->Figure(HeaderFigure::MGoukei01);
    }
    const QChar line('\n');
    QString searched;
    searched.reserve(s.number.size() + s.customer.size() + s.title.size() + s.place.size() + 3);
    searched.append(s.number).append(line).append(s.customer).append(line);
    searched.append(s.title).append(line).append(s.place);
    s.foldedText = FoldForSearch(searched);
    return s;
}

std::vector<int> SearchRows(const std::vector<SearchableListEntry>& entries,
                            const EstimateSearch& search, ListSortColumn column, bool descending) {
    std::vector<int> rows;
    const SearchMatcher matches(search);
    rows.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (matches(entries[i].searchable)) rows.push_back(static_cast<int>(i));
    // Keys that are missing go last in either direction; the rest compare by the column.
    const auto missing = [column](const SearchableEstimate& e) {
        if (column == ListSortColumn::kDate) return e.dateState != EstimateDateState::kRead;
        if (column == ListSortColumn::kAmount) return !e.amount.has_value();
        return false;
    };
    const auto before = [column](const SearchableEstimate& a, const SearchableEstimate& b) {
        switch (column) {
            case ListSortColumn::kNumber:
                return false;  // the list order itself
            case ListSortColumn::kCustomer:
                return QString::compare(a.customer, b.customer) < 0;
            case ListSortColumn::kTitle:
                return QString::compare(a.title, b.title) < 0;
            case ListSortColumn::kDate:
                return a.date < b.date;
            case ListSortColumn::kAmount:
                return *a.amount < *b.amount;
        }
        return false;
    };
    std::stable_sort(rows.begin(), rows.end(), [&](int x, int y) {
        const SearchableEstimate& a = entries[static_cast<std::size_t>(x)].searchable;
        const SearchableEstimate& b = entries[static_cast<std::size_t>(y)].searchable;
        if (missing(a) != missing(b)) return missing(b);
        if (missing(a)) return false;
        return descending ? before(b, a) : before(a, b);
    });
    if (column == ListSortColumn::kNumber && descending) std::reverse(rows.begin(), rows.end());
    return rows;
}

namespace {

std::string CsvField(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    if (t.contains(QLatin1Char(',')) || t.contains(QLatin1Char('"'))) {
        t.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        t = QLatin1Char('"') + t + QLatin1Char('"');
    }
    return t.toStdString();
}

}  // namespace

std::string EstimateListCsvHeader() {
    return "\xEF\xBB\xBF見積番号,得意先,件名,場所,見積日,金額(税込),印刷日,発行済み,ファイル\n";
}

std::string EstimateListCsvLine(const SearchableListEntry& entry) {
    const SearchableEstimate& s = entry.searchable;
    return CsvField(s.number) + ',' + CsvField(s.customer) + ',' + CsvField(s.title) + ',' +
           CsvField(s.place) + ',' + CsvField(s.dateText) + ',' +
           (s.amount ? Fixed4ToText(*s.amount) : std::string()) + ',' + CsvField(s.printDate) +
           ',' + (s.issued ? "1" : "0") + ',' + CsvField(entry.listed.fileName) + '\n';
}

QString IssuedArchiveFolder(Environment& environment) {
    return QDir(NativePath(DataFolder(environment))).filePath(QString::fromUtf8(kIssuedFolderName));
}

QSet<QString> IssuedNumbers(const ArchiveReading& archive) {
    QSet<QString> numbers;
    for (const IssueEntry& e : archive.entries) numbers.insert(e.number);
    return numbers;
}

SearchMatcher::SearchMatcher(const EstimateSearch& search)
    : search_(search), foldedText_(FoldForSearch(search.text.trimmed())) {}

bool SearchMatcher::operator()(const SearchableEstimate& estimate) const {
    const EstimateSearch& search = search_;
    if (search.issuedOnly && !estimate.issued) return false;
    if (search.from || search.to) {
        if (estimate.dateState != EstimateDateState::kRead) return false;
        if (search.from && estimate.date < *search.from) return false;
        if (search.to && estimate.date > *search.to) return false;
    }
    if (search.minAmount || search.maxAmount) {
        if (!estimate.amount) return false;
        if (search.minAmount && *estimate.amount < *search.minAmount) return false;
        if (search.maxAmount && *estimate.amount > *search.maxAmount) return false;
    }
    return foldedText_.isEmpty() || estimate.foldedText.contains(foldedText_);
}

bool Matches(const EstimateSearch& search, const SearchableEstimate& estimate) {
    return SearchMatcher(search)(estimate);
}

std::optional<Fixed4> ReadAmountBound(const QString& text) {
    QString t = text.normalized(QString::NormalizationForm_KC);
    t.remove(QRegularExpression(QStringLiteral("[\\s,¥\\\\円]")));
    static const QRegularExpression whole(QStringLiteral("^-?\\d{1,14}$"));
    if (!whole.match(t).hasMatch()) return std::nullopt;
    return Fixed4::FromInt(t.toLongLong());
}

}  // namespace quilto
