#include "reportproject/VzEvents.h"

#include "reportproject/VzClass.h"

TVizeClassRef TVizeEvent::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeEvent", TVizePersistent::StaticClass(), nullptr, false);
        TVizeProps<TVizeEvent>(*c)
            .String("Header", &TVizeEvent::Header, &TVizeEvent::SetHeader)
            .String("Body", &TVizeEvent::Body, &TVizeEvent::SetBody)
            .Integer("Position", &TVizeEvent::Position, &TVizeEvent::SetPosition)
            .Object<TVizeProjectItem>("ModuleOwner", &TVizeEvent::ModuleOwner, &TVizeEvent::SetModuleOwner)
            .String("Name", &TVizeEvent::Name, &TVizeEvent::SetName);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeSimpleEvent::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeSimpleEvent", TVizeEvent::StaticClass(),
                                 [](TComponent*) { return new TVizeSimpleEvent; }, false);
        TVizeProps<TVizeSimpleEvent>(*c).Object<TVizeComponent>("Sender", &TVizeEvent::Sender,
                                                                &TVizeEvent::SetSender);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeStringEvent::StaticClass() {
    static const TVizeClass cls("TVizeStringEvent", TVizeEvent::StaticClass(),
                                [](TComponent*) { return new TVizeStringEvent; }, false);
    return &cls;
}

TVizeClassRef TVizeFloatEvent::StaticClass() {
    static const TVizeClass cls("TVizeFloatEvent", TVizeEvent::StaticClass(),
                                [](TComponent*) { return new TVizeFloatEvent; }, false);
    return &cls;
}

std::string TVizeEvent::DeclarationHeader() const {
    const std::string sender = sender_ ? sender_->Name() : std::string();
    std::string text = "\r\n{ Event for " + sender + "." + name_ + " }\r\n\r\nfunction " + sender + "_" + name_ +
                       "(Self: " + RegisteredClassName(sender_ ? sender_->VizeClass() : nullptr);
    const std::string params = ParamDeclaration();
    if (!params.empty()) text += "; " + params;
    return text + ");";
}

std::string TVizeEvent::DeclarationFooter() const {
    const std::string sender = sender_ ? sender_->Name() : std::string();
    return "end " + sender + "_" + name_ + ";";
}

void TVizeEvent::Execute() {
    if (!moduleOwner_ || !moduleOwner_->Module()) return;
    TVizeModule& module = *moduleOwner_->Module();
    if (!IsSuspended()) {
        // The handler's Self: the sender object itself.
        module.PushObject(sender_);
        PushParams(module);
    }
    module.Execute(position_, suspension_);
    if (suspension_ && !SuspendAllowed()) {
        // The handler starts afresh next time instead of resuming a state
        // that was refused.
        module.DiscardSuspension(suspension_);
        RaiseVizeError("Suspend call not valid in this event.");
    }
}

void TVizeEvent::AssignTo(TPersistent* dest) const {
    auto* other = dynamic_cast<TVizeEvent*>(dest);
    if (!other) {
        TVizePersistent::AssignTo(dest);
        return;
    }
    other->header_ = header_;
    other->body_ = body_;
    other->position_ = position_;
}

void TVizeStringEvent::PushParams(TVizeModule& module) { module.PushVarString(&Value); }

void TVizeFloatEvent::PushParams(TVizeModule& module) { module.PushVarFloat(&Value); }
