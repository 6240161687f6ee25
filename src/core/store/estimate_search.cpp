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

QString FoldForSearch(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

SearchableEstimate SearchableOf(std::string_view number, const EstimateHeader* header,
                                bool issued) {
    SearchableEstimate s;
    s.issued = issued;
    s.number = Cp932ToQStringLossy(number);
    if (header && header->SignatureKind() != EstimateSignature::Foreign) {
        s.customer = Cp932ToQStringLossy(header->Text(HeaderText::MName1));
        s.title = Cp932ToQStringLossy(header->Text(HeaderText::MTitle1));
        s.place = Cp932ToQStringLossy(header->Text(HeaderText::MBasyo1));
        s.printDate = Cp932ToQStringLossy(header->Text(HeaderText::MYMD4));
        const std::string date = header->Text(HeaderText::MYMD1);
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
    s.foldedText = FoldForSearch(s.number + line + s.customer + line + s.title + line + s.place);
    return s;
}

QString IssuedArchiveFolder(Environment& environment) {
    return QDir(NativePath(DataFolder(environment))).filePath(QString::fromUtf8(kIssuedFolderName));
}

QSet<QString> IssuedNumbers(const ArchiveReading& archive) {
    QSet<QString> numbers;
    for (const IssueEntry& e : archive.entries) numbers.insert(e.number);
    return numbers;
}

bool Matches(const EstimateSearch& search, const SearchableEstimate& estimate) {
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
    const QString text = FoldForSearch(search.text.trimmed());
    return text.isEmpty() || estimate.foldedText.contains(text);
}

std::optional<Fixed4> ReadAmountBound(const QString& text) {
    QString t = text.normalized(QString::NormalizationForm_KC);
    t.remove(QRegularExpression(QStringLiteral("[\\s,¥\\\\円]")));
    static const QRegularExpression whole(QStringLiteral("^-?\\d{1,14}$"));
    if (!whole.match(t).hasMatch()) return std::nullopt;
    return Fixed4::FromInt(t.toLongLong());
}

}  // namespace quilto
