#pragma once

// The name registration: construction names on the left (ConstructionPanel), the products
// of the selected construction name on the right (ProductPanel), units in a drop-down
// inside the product panel (UnitPanel), and the CSV import of products. Shown modally;
// each showing loads the masters afresh and claims the master marker, and works read-only
// while another running copy holds it. Every change is written at once. The window binds
// the panels' widgets to the registration; what it decides (when closing asks, the checks
// of a save, Enter in the remarks, the row after a delete, when a press starts a product,
// why the import cannot start, the price keys, what each key does, see RegistrationKeys) is
// asked of core/masters/registration_rules, the writes and captions of
// core/masters/name_registration, the import of core/masters/product_import.

#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "core/masters/name_registration.h"

class QLabel;
class QPushButton;
class QWidget;

namespace quilto {

class ConstructionPanel;
class ProductPanel;
class ProgramState;
class UnitPanel;

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
    // The panels' lists and buttons to what they do.
    void Bind();
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
    void SetProductEditMode(bool on);
    void ShowCounters();
    void ShowProductCode();
    void ReportWrite(RegistrationResult result, const char* fileName);
    bool Ask(const std::string& question);

    ProgramState& program_;
    NameRegistration registration_;
    RegistrationTexts texts_;
    std::function<QString(const QString&)> chooseFile_;
    std::string currentCode_;
    bool productEditMode_ = false;

    QLabel* titlePanel_ = nullptr;
    QPushButton* button1_ = nullptr;
    ConstructionPanel* construction_ = nullptr;
    ProductPanel* products_ = nullptr;
    UnitPanel* units_ = nullptr;  // inside products_
    std::array<QLabel*, 3> statusPanels_{};
    QMetaObject::Connection focusWatch_;
};

}  // namespace quilto
