#include "app/VtqSound.h"

#include "platform/os/Sound.h"

namespace {

const bool g_vtqSoundPublished = [] {
    TPublished<TVtqSound, TComponent>()
        .String("SoundFile", &TVtqSound::SoundFile, &TVtqSound::SetSoundFile)
        .Boolean("LoopSound", &TVtqSound::LoopSound, &TVtqSound::SetLoopSound)
        .String("Version", &TVtqSound::Version, &TVtqSound::SetVersion);
    return true;
}();

}  // namespace

TVtqSound::TVtqSound(TComponent* owner) : TComponent(owner) {}

const std::string& TVtqSound::Version() const {
    static const std::string version = "TVtqSound 1.0, Scorvane sound player";
    return version;
}

void TVtqSound::Play() {
    unsigned flags = SND_ASYNC | SND_NODEFAULT;
    if (loopSound_) flags |= SND_LOOP;
    PlaySoundFile(soundFile_, flags);
    if (OnPlay) {
        OnPlay(this);
        played_ = true;
    }
}

void TVtqSound::Stop() {
    PlaySoundFile("", SND_ASYNC | SND_NODEFAULT);
    if (played_ && OnStop) OnStop(this);
}
