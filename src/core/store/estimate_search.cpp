#include "core/store/estimate_search.h"

#include <QRegularExpression>

#include "core/foundation/cp932.h"
#include "core/foundation/typed_date.h"
#include "core/store/estimate_file.h"

namespace quilto {

QString FoldForSearch(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

SearchableEstimate SearchableOf(std::string_view number, const EstimateHeader* header,
                                bool issued) {
    SearchableEstimate s;
    s.issued = issued;
    QString texts = Cp932ToQStringLossy(number);
    if (header) {
        for (HeaderText field : {HeaderText::MName1, HeaderText::MTitle1, HeaderText::MBasyo1}) {
            texts += QLatin1Char('\n');
            texts += Cp932ToQStringLossy(header->Text(field));
        }
        const std::string date = header->Text(HeaderText::MYMD1);
        if (Cp932ToQStringLossy(date).trimmed().isEmpty()) {
            s.dateState = EstimateDateState::kBlank;
        } else if (const std::optional<QDate> read = ReadTypedDateCp932(date)) {
            s.dateState = EstimateDateState::kRead;
            s.date = *read;
        } else {
            s.dateState = EstimateDateState::kUnreadable;
        }
        s.amount = header->Figure(HeaderFigure::MGoukei01);
    }
    s.foldedText = FoldForSearch(texts);
    return s;
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
