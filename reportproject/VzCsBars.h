#pragma once
// Bar-code report components: a report control that owns one bar-code
// encoder, keeps the encoder's anchor, top and bar height in step with its
// own geometry, and prints the symbol at its place on the page (the text
// may come from a data field).

#include <memory>
#include <string>

#include "platform/gui/Graphics.h"
#include "reportproject/VpBars.h"
#include "reportproject/VzControl.h"
#include "reportproject/VzData.h"

class TVizeBaseBarCode : public TVizeControl {
    VIZE_CLASS(TVizeBaseBarCode)
public:
    explicit TVizeBaseBarCode(TComponent* owner);
    ~TVizeBaseBarCode() override;

    TVPBarsBase* Encoder() const { return encoder_.get(); }
    TFont& Font() { return font_; }

    std::string GetText() const override { return encoder_ ? encoder_->Text : std::string(); }
    void SetText(const std::string& text) override;
    void SetLeft(double v) override;
    double GetRight() const { return GetLeft() + GetWidth(); }
    void SetRight(double v);
    double GetCenter() const { return GetLeft() + GetWidth() / 2; }
    void SetCenter(double v);
    double GetTop() const override { return encoder_ ? encoder_->Top : 0.0; }
    void SetTop(double v) override;
    void SetHeight(double v) override;
    void SetWidth(double v) override;
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    Int64 BarCodeJustify() const { return encoder_->BarCodeJustify(); }
    void SetBarCodeJustify(Int64 v);
    double BarWidth() const { return encoder_->BarWidth; }
    void SetBarWidth(double v);
    double BarHeight() const { return encoder_->BarHeight; }
    void SetBarHeight(double v);
    double WideFactor() const { return encoder_->WideFactor; }
    void SetWideFactor(double v);
    double BarTop() const { return encoder_->BarTop(); }
    void SetBarTop(double v);
    bool UseChecksum() const { return encoder_->UseChecksum; }
    void SetUseChecksum(bool v);
    bool PrintReadable() const { return encoder_->PrintReadable; }
    void SetPrintReadable(bool v) { encoder_->SetPrintReadable(v); }
    bool PrintChecksum() const { return encoder_->PrintChecksum; }
    void SetPrintChecksum(bool v) { encoder_->PrintChecksum = v; }
    bool PrintTop() const { return encoder_->PrintTop; }
    void SetPrintTop(bool v);
    Int64 TextJustify() const { return encoder_->TextJustify; }
    void SetTextJustify(Int64 v) {
        if (IsMemberOrdinal(v, pjBlock)) encoder_->TextJustify = TPrintJustify(v);
    }
    Int64 BarCodeRotation() const { return encoder_->BarCodeRotation; }
    void SetBarCodeRotation(Int64 v) {
        if (IsMemberOrdinal(v, Rot270)) encoder_->BarCodeRotation = TBarCodeRotation(v);
    }
    const std::string& DataField() const { return dataField_; }
    void SetDataField(const std::string& v);
    TVizeBaseDataView* DataView() const { return dataView_; }
    void SetDataView(TVizeBaseDataView* v) { dataView_ = v; }

    void DesignerChanged() override;
    void PrintSelf(TBaseReport* report) override;
    // Draws the symbol's bars through the encoder's bar callback within a
    // dashed outline; the encoder is left as it was.
    void PaintSelf(TCanvas* canvas) override;
    void BeforeReport() override;
    void AfterReport() override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;

protected:
    virtual std::unique_ptr<TVPBarsBase> CreateBarCode() = 0;
    // Called by each component's constructor once its encoder exists.
    void InitBarCode(double height, int fontSize);

private:
    // The anchor value for the encoder's justification.
    double AnchorValue() const;
    void ApplyAnchor(TPrintJustify justify, double value);
    // Anchors the encoder at the value for justify and keeps justify.
    void PlaceAnchor(TPrintJustify justify, double centre, double right, double left);
    // Gives the encoder back its anchor, justification and top, and drops
    // the report and bar callback it was lent while printing or painting.
    struct TEncoderRestore;

    std::unique_ptr<TVPBarsBase> encoder_;
    TFont font_;
    bool autoSize_ = true;
    std::string dataField_;
    TVizeBaseDataView* dataView_ = nullptr;
    std::string savedText_;
    bool adjusting_ = false;
};

#define VIZE_BAR_CODE(T, E)                                                               \
    class T : public TVizeBaseBarCode {                                                   \
        VIZE_CLASS(T)                                                                     \
    public:                                                                               \
        explicit T(TComponent* owner);                                                    \
                                                                                          \
    protected:                                                                            \
        std::unique_ptr<TVPBarsBase> CreateBarCode() override {                           \
            return std::make_unique<E>(nullptr);                                          \
        }                                                                                 \
    };

VIZE_BAR_CODE(TVizeI2of5BarCode, TVPBars2of5)
VIZE_BAR_CODE(TVizeCode39BarCode, TVPBarsCode39)
VIZE_BAR_CODE(TVizeCode128BarCode, TVPBarsCode128)
VIZE_BAR_CODE(TVizeUPCBarCode, TVPBarsUPC)
VIZE_BAR_CODE(TVizeEANBarCode, TVPBarsEAN)
#undef VIZE_BAR_CODE

class TVizePostNetBarCode : public TVizeBaseBarCode {
    VIZE_CLASS(TVizePostNetBarCode)
public:
    explicit TVizePostNetBarCode(TComponent* owner);
    // Always 0.125 high, whatever is asked.
    void SetHeight(double v) override;

protected:
    std::unique_ptr<TVPBarsBase> CreateBarCode() override { return std::make_unique<TVPBarsPostNet>(nullptr); }
};

// Start-up: registers the bar-code components.
void InitializeVzCsBars();
