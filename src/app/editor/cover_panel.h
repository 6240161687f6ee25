#pragma once

// The cover tab's panel PanelB2: customer, title, place, period, validity, person in charge,
// notes, tax rate and the two check boxes, the print pattern choice, the company
// information and the copy of the estimate amount. Every field writes what the user types
// straight into the document; ShowDocument fills the fields from it again.

#include <QFrame>
#include <QMap>
#include <functional>
#include <string>
#include <vector>

#include "core/editor/customer_honorific.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quilto {

class Environment;
class EstimateDocument;
class TypedLineEdit;

class CoverPanel : public QFrame {
    Q_OBJECT

  public:
    CoverPanel(EstimateDocument& document, QWidget* parent = nullptr);

    // Shows a refused character's message, and the warning about a customer name typed with
    // an honorific of its own.
    void SetRefusalHandler(const std::function<void(const QString&)>& handler);

    // Every field from the document.
    void ShowDocument();
    // The customer-name and title drop-downs get the histories (CP932).
    void SetHistories(const std::vector<std::string>& customers,
                      const std::vector<std::string>& titles);
    // Memo1, LicsNM and SMesD from the environment.
    void ShowCompany(const Environment& environment);
    void ShowTaxMessage(const Environment& environment);
    // HGoukei01 follows MGoukei01.
    void ShowTotal(const QString& total);
    // CBListMS: " 0 " + the first pattern's name, then patterns 1 and 2 as far as their
    // templates exist; the stored pattern is selected.
    void SetPatternChoices(const QStringList& choices, int selected);

    TypedLineEdit* Field(const QString& name) const { return fields_.value(name); }
    QComboBox* MName1() const { return mName1_; }
    QComboBox* MTitle1() const { return mTitle1_; }
    QCheckBox* CheckBox1() const { return checkBox1_; }
    QCheckBox* CheckBox2() const { return checkBox2_; }
    QComboBox* CBListMS() const { return cbListMS_; }
    // The controls Enter, Tab and the arrows move through, in order (MName1 first, MBiko5
    // last).
    const QList<QWidget*>& NavigationOrder() const { return order_; }

  signals:
    void CheckBox1Clicked();
    void CheckBox2Clicked();
    void PatternChosen(int index);
    // A left click on the frame GroupMS.
    void GroupMSClicked();
    // The user changed a cover field or check box (its control name).
    void CoverEdited(const QString& control);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TypedLineEdit* AddField(const char* name, QWidget* parent);
    QComboBox* AddCombo(const char* name, QWidget* parent);
    void FieldEdited(const QString& name, const TypedLineEdit* edit);

    EstimateDocument& document_;
    QMap<QString, TypedLineEdit*> fields_;
    QComboBox* mName1_ = nullptr;
    QComboBox* mTitle1_ = nullptr;
    QCheckBox* checkBox1_ = nullptr;
    QCheckBox* checkBox2_ = nullptr;
    QComboBox* cbListMS_ = nullptr;
    QWidget* groupMS_ = nullptr;
    QPlainTextEdit* memo1_ = nullptr;
    QLabel* licsNM_ = nullptr;
    QLabel* sMesD_ = nullptr;
    QLabel* hGoukei01_ = nullptr;
    QList<QWidget*> order_;
    std::function<void(const QString&)> tell_;
    DoubleHonorificWarning honorificWarning_;
};

}  // namespace quilto
