#pragma once
// The export component: names a document engine and starts and ends its
// document on behalf of an output source (the report renderer of
// deVzXportIntf.h). It tells the source which engine to draw into through
// BindRenderer.

#include "docexport/deClasses.h"
#include "docexport/deCstDocEng.h"

class TdeExportInterface : public TdeComponent {
public:
    explicit TdeExportInterface(TComponent* owner);
    ~TdeExportInterface() override;

    TdeCustomDocumentEngine* Engine() const { return engine_; }
    // Binds the renderer to the engine when Visible.
    void SetEngine(TdeCustomDocumentEngine* engine);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    bool DoBeginDoc() const { return doBeginDoc_; }
    void SetDoBeginDoc(bool v) { doBeginDoc_ = v; }
    bool DoEndDoc() const { return doEndDoc_; }
    // False hooks the engine's OnAfterEndDoc, so that the engine's own end
    // of the document resets this component.
    void SetDoEndDoc(bool v);
    bool DocStarted() const { return docStarted_; }

    // A page begins: the engine's document is started (DoBeginDoc) or a new
    // page opened.
    void StartPage();
    // The document ends: the engine's EndDoc when DoEndDoc.
    void Finish();
    // The engine's end-of-document event while hooked.
    void EngineFinished(TObject* sender);

protected:
    void Notification(TComponent* component, TOperation operation) override;
    // The engine output goes to; none when unbound or hidden.
    virtual void BindRenderer(TdeCustomDocumentEngine* engine) {}

private:
    void HookEngineEnd();
    void UnhookEngineEnd();

    TdeCustomDocumentEngine* engine_ = nullptr;
    bool visible_ = true;
    bool doBeginDoc_ = true;
    bool doEndDoc_ = true;
    bool docStarted_ = false;
    bool hooked_ = false;
    TdeNotifyEvent savedAfterEndDoc_;
};
