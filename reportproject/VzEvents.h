#pragma once
// Events of project components: objects holding the report-language text
// of a handler and, once compiled, the position of its code in the module
// of the project item that owns it; and the module interface the language
// engine implements.

#include <string>

#include "platform/core/Types.h"
#include "reportproject/VzTypeInfo.h"

class TStream;
class TVizeComponent;
class TVizeProjectItem;

// The compiled script module of a project item (implemented by the
// language engine).
class TVizeModule : public TObject {
public:
    // Called after a project load.
    virtual void ResolveReferences() = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    // Runs from position; a handler that suspends leaves a non-null
    // suspension, and a later call with it resumes.
    virtual void Execute(Integer position, void*& suspension) = 0;
    virtual void PushParam(void* address) = 0;
    // Forget (or redirect) references to another module.
    virtual void ForgetReference(TVizeModule* module, TVizeModule* replacement) = 0;
    // An object argument (the sender of an event).
    virtual void PushObject(TObject* object) { PushParam(object); }
    // A var argument the handler may change: the value is handed over
    // before the run and read back after it.
    virtual void PushVarString(std::string* value) { PushParam(value); }
    virtual void PushVarFloat(double* value) { PushParam(value); }
    // The project item that now owns the module.
    virtual void SetOwnerItem(TVizeProjectItem* item) {}
    // Frees a suspension that will not be resumed and empties it.
    virtual void DiscardSuspension(void*& suspension) { suspension = nullptr; }
};

class TVizeEvent : public TVizePersistent {
public:
    static TVizeClassRef StaticClass();
    TVizeClassRef VizeClass() const override { return StaticClass(); }

    TVizeEvent() = default;

    const std::string& Header() const { return header_; }
    void SetHeader(const std::string& v) { header_ = v; }
    const std::string& Body() const { return body_; }
    void SetBody(const std::string& v) { body_ = v; }
    Integer Position() const { return position_; }
    void SetPosition(Integer v) { position_ = v; }
    TVizeProjectItem* ModuleOwner() const { return moduleOwner_; }
    void SetModuleOwner(TVizeProjectItem* v) { moduleOwner_ = v; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& v) { name_ = v; }
    TVizeComponent* Sender() const { return sender_; }
    void SetSender(TVizeComponent* v) { sender_ = v; }
    Integer DeclarationLine() const { return declarationLine_; }
    Integer BodyLine() const { return bodyLine_; }
    void SetSourceLines(Integer declaration, Integer body) {
        declarationLine_ = declaration;
        bodyLine_ = body;
    }

    virtual std::string DeclarationHeader() const;
    virtual std::string DeclarationFooter() const;
    virtual bool SuspendAllowed() const { return false; }
    virtual void PushParams(TVizeModule& module) {}
    virtual std::string ParamDeclaration() const { return {}; }

    // Runs the handler; nothing when the owner has no compiled module.
    // Raises EVizeException when a handler suspends where that is not
    // allowed.
    void Execute();
    bool IsSuspended() const { return suspension_ != nullptr; }

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    std::string header_;
    std::string body_;
    Integer position_ = 0;
    TVizeProjectItem* moduleOwner_ = nullptr;
    Integer declarationLine_ = 0;
    Integer bodyLine_ = 0;
    TVizeComponent* sender_ = nullptr;
    std::string name_;
    void* suspension_ = nullptr;
};

class TVizeSimpleEvent : public TVizeEvent {
    VIZE_CLASS(TVizeSimpleEvent)
};

class TVizeStringEvent : public TVizeEvent {
    VIZE_CLASS(TVizeStringEvent)
public:
    std::string Value;
    void PushParams(TVizeModule& module) override;
    std::string ParamDeclaration() const override { return "var Value: string"; }
};

class TVizeFloatEvent : public TVizeEvent {
    VIZE_CLASS(TVizeFloatEvent)
public:
    double Value = 0;
    void PushParams(TVizeModule& module) override;
    std::string ParamDeclaration() const override { return "var Value: extended"; }
};
