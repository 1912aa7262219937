#include "docexport/deXportIntf.h"

#include "docexport/deDocEngIntf.h"

TdeExportInterface::TdeExportInterface(TComponent* owner) : TdeComponent(owner) {}

TdeExportInterface::~TdeExportInterface() {
    if (engine_) {
        UnhookEngineEnd();
        RemoveFreeNotification(engine_);
    }
}

void TdeExportInterface::SetEngine(TdeCustomDocumentEngine* engine) {
    if (engine == engine_) {
        BindRenderer(visible_ ? engine_ : nullptr);
        return;
    }
    if (engine_) {
        UnhookEngineEnd();
        RemoveFreeNotification(engine_);
    }
    engine_ = engine;
    docStarted_ = false;
    if (engine_) {
        FreeNotification(engine_);
        if (!doEndDoc_) HookEngineEnd();
    }
    BindRenderer(visible_ ? engine_ : nullptr);
}

void TdeExportInterface::SetVisible(bool v) {
    BindRenderer(v ? engine_ : nullptr);
    visible_ = v;
}

void TdeExportInterface::SetDoEndDoc(bool v) {
    doEndDoc_ = v;
    if (!v && engine_) HookEngineEnd();
}

// Hooked once only: a second hook would save our own handler and call it
// from itself.
void TdeExportInterface::HookEngineEnd() {
    if (hooked_ || !engine_) return;
    savedAfterEndDoc_ = engine_->OnAfterEndDoc;
    engine_->OnAfterEndDoc = [this](TObject* sender) { EngineFinished(sender); };
    hooked_ = true;
}

void TdeExportInterface::UnhookEngineEnd() {
    if (!hooked_) return;
    if (engine_) engine_->OnAfterEndDoc = savedAfterEndDoc_;
    savedAfterEndDoc_ = nullptr;
    hooked_ = false;
}

void TdeExportInterface::StartPage() {
    if (!engine_) return;
    // A document the engine closed on its own (an error part way, a
    // cancelled run) is not continued with a page of a closed document.
    if (docStarted_ && !engine_->Started()) docStarted_ = false;
    if (doBeginDoc_ && !docStarted_)
        engine_->DocumentInterface()->BeginDoc();
    else if (docStarted_)
        engine_->DocumentInterface()->NewPage();
    docStarted_ = true;
}

void TdeExportInterface::Finish() {
    // Without DoEndDoc the document stays open for a later report; the
    // engine's own end resets this component (EngineFinished).
    if (!doEndDoc_) return;
    if (engine_) engine_->DocumentInterface()->EndDoc();
    docStarted_ = false;
}

void TdeExportInterface::EngineFinished(TObject* sender) {
    TdeNotifyEvent saved = savedAfterEndDoc_;
    docStarted_ = false;
    UnhookEngineEnd();
    if (saved) saved(sender);
}

void TdeExportInterface::Notification(TComponent* component, TOperation operation) {
    TdeComponent::Notification(component, operation);
    if (operation == opRemove && component == engine_) {
        // The engine is going: its event is not given back, it is gone.
        hooked_ = false;
        savedAfterEndDoc_ = nullptr;
        engine_ = nullptr;
        docStarted_ = false;
        BindRenderer(nullptr);
    }
}
