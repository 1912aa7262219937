#pragma once
// TVtqSound: a non-visual component that plays a wave file in the
// background. Play returns at once; the sound goes on after the component
// is freed, until it ends, Stop is called or another sound starts.

#include <string>

#include "platform/core/Component.h"

class TVtqSound : public TComponent {
public:
    explicit TVtqSound(TComponent* owner);

    // Full path of the wave file to play.
    const std::string& SoundFile() const { return soundFile_; }
    void SetSoundFile(const std::string& value) { soundFile_ = value; }

    // Play in a loop until stopped.
    bool LoopSound() const { return loopSound_; }
    void SetLoopSound(bool value) { loopSound_ = value; }

    // The component's version and author; writing it changes nothing.
    const std::string& Version() const;
    void SetVersion(const std::string&) {}

    // Stops the sound being played and starts SoundFile in the background.
    // A file that cannot be played plays nothing, without a message. Then
    // fires OnPlay.
    void Play();
    // Stops whatever the process is playing. Then fires OnStop, once OnPlay
    // has fired.
    void Stop();

    TNotifyEvent OnPlay;
    TNotifyEvent OnStop;

private:
    std::string soundFile_;
    bool loopSound_ = false;
    bool played_ = false;
};
