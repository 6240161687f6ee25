#pragma once

// The name registration: construction names on the left, the products of the selected
// construction name on the right, units in a drop-down inside the product group, and the
// CSV import of products. Shown modally; each showing loads the masters afresh and claims
// the master marker, and works read-only while another running copy holds it. Every change
// is written at once. The window shows and binds; what it decides (when closing asks, the
// checks of a save, Enter in the remarks, the row after a delete, the price keys, what
// each key does) is asked of core/masters/registration_rules, the writes and captions of
// core/masters/name_registration, the import of core/masters/product_import.

#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "core/masters/name_registration.h"
#include "core/masters/registration_rules.h"

class QComboBox;
class QHeaderView;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace quilto {

class MasterListView;
class TypedLineEdit;
class ProgramState;

class TFormMSyo : public QDialog {
    Q_OBJECT

  public:
    explicit TFormMSyo(ProgramState& program, QWidget* parent = nullptr);
    ~TFormMSyo() override;

    // How the import asks for its file (start: the proposed file in the current folder);
    // an empty result means cancelled. A file dialog unless a test replaces it.
    void SetFileChooser(std::function<QString(const QString& start)> choose);

    bool ReadOnly() const { return registration_.ReadOnly(); }
    // The construction code whose products are shown (CP932), blank when none.
    const std::string& CurrentCode() const { return currentCode_; }
    bool ProductEditMode() const { return productEditMode_; }

  public slots:
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* BuildConstructionGroup();
    QWidget* BuildProductGroup();
    QWidget* BuildUnitGroup();
    void BuildMenu();
    void Open();

    void SelectConstruction(int row);
    // No construction name is current: its products, the product fields and K_del go.
    void ForgetConstruction();
    void NewConstruction();
    void ChangeConstruction();
    void SaveConstruction();
    void DeleteConstruction();
    void SelectProduct(int row);
    void NewProduct();
    void ChangeProduct();
    void SaveProduct();
    void EnterInRemarks();
    void DeleteProduct();
    void StartProductIfBlank();
    void OpenUnitEditing();
    void SaveUnit();
    void DeleteUnit();
    void Import();

    void FillConstructionList();
    void FillProductList();
    void FillUnits();
    void ClearProductFields();
    void SetProductEditMode(bool on);
    void ShowCounters();
    void ShowUnitButtons(bool shown);
    void ReportWrite(int result, const char* fileName);
    bool Ask(const std::string& question);
    void FocusNext(bool forward);
    // The kind of field a key went to, and the key, as the key rules know them.
    RegistrationField FieldOf(const QObject* watched) const;
    static RegistrationKey KeyOf(int key);
    // A text field of at most maxBytes CP932 bytes; field names it when a character is
    // refused.
    TypedLineEdit* MakeTextEdit(const char* name, int maxBytes, const QString& field,
                                QWidget* parent);

    ProgramState& program_;
    NameRegistration registration_;
    RegistrationTexts texts_;
    std::function<QString(const QString&)> chooseFile_;
    std::string currentCode_;
    bool productEditMode_ = false;

    QLabel* titlePanel_ = nullptr;
    QLabel* kGroupCaption_ = nullptr;
    QLabel* kListHeading_ = nullptr;
    QLabel* kNameLabel_ = nullptr;
    QLabel* hintPanel_ = nullptr;
    MasterListView* kLb1_ = nullptr;
    QLabel* kKensu_ = nullptr;
    TypedLineEdit* kNm1_ = nullptr;
    QPushButton* kNew_ = nullptr;
    QPushButton* kChg_ = nullptr;
    QPushButton* kSav_ = nullptr;
    QPushButton* kDel_ = nullptr;

    QHeaderView* header_ = nullptr;
    MasterListView* sLb1_ = nullptr;
    QLabel* sKensu_ = nullptr;
    QLineEdit* edit1_ = nullptr;
    TypedLineEdit* edit2_ = nullptr;
    TypedLineEdit* edit3_ = nullptr;
    QLineEdit* maskEdit1_ = nullptr;
    QLineEdit* maskEdit2_ = nullptr;
    TypedLineEdit* editBiko1_ = nullptr;
    QPushButton* sNew_ = nullptr;
    QPushButton* sChg_ = nullptr;
    QPushButton* sSav_ = nullptr;
    QPushButton* sDel_ = nullptr;

    QLabel* unitEbl_ = nullptr;
    QComboBox* cbUnit_ = nullptr;
    TypedLineEdit* unitEdit_ = nullptr;
    QLabel* uKensu_ = nullptr;
    QLabel* unitMemo_ = nullptr;
    QWidget* unitBtn_ = nullptr;
    QPushButton* uSav_ = nullptr;
    QPushButton* uDel_ = nullptr;

    QPushButton* button1_ = nullptr;
    std::array<QLabel*, 3> statusPanels_{};
    QMetaObject::Connection focusWatch_;
};

}  // namespace quilto
