#pragma once
// Particle effects: a named, data-driven animation read from one XML description into a
// prototype and copied for every occurrence. Each copy owns its systems; a system throws
// particles from a template; each particle carries animated parameters (position, alpha,
// colour, colour value, frame, size) whose values come from morphs. The game reads the
// particles' values after every update and draws them itself.

#include "fx/NyxMorph.h"

namespace qz {
class TMemoryStream;
class TNyxXMLTag;
} // namespace qz

namespace qz::fx {

class TNyxParticleEffect;

enum TNyxInitSource : uint8_t {
    isConstant,
    isRange,
    isCollectedMorph,
    isLibraryMorph,
    isEntryCopy,
};

// One property written into a morph when a particle is created.
struct TPropertyAssign {
    TNyxPropertyTarget Target;
    // "StartTime" given as "T": the target morph runs on the effect's clock instead of the
    // particle's (its time shift becomes the particle's age at the effect's start).
    bool TFlag = false;
    TNyxInitSource Source = isConstant;
    // The constant, or the minimum and maximum of a range.
    TVector3 Min{0, 0, 0};
    TVector3 Max{0, 0, 0};
    // The morph of a morph source: an index into the collected list, the effect's morph
    // library or the parameter's init entries, by Source.
    int32_t Morph = -1;
};

// Initialises one morph: one of the parameter's collected morphs, or a copy of a morph of
// the effect's library held by the template.
struct TMorphInit {
    bool InList = false;
    int32_t Index = -1;
    std::unique_ptr<TNyxMorph> Copy;
    std::vector<TPropertyAssign> Properties;
};

// One animated value of a particle template.
class TNyxParticleParamType {
public:
    TNyxParticleParamType(std::string_view name, int32_t dimension, const TVector3& fallback);

    // A deep copy whose library morph copies are bound to the given libraries.
    void CopyFrom(const TNyxParticleParamType& source, TNyxMorphFuncLib* funcs,
                  TNyxMorphLib* morphs);

    std::string Name;
    uint8_t Dimension = 1;
    // The value when the parameter has no morph.
    TVector3 Default{0, 0, 0};
    // Index into the effect's morph library, -1 for none.
    int32_t MorphIndex = -1;
    bool Cloned = false;
    // The morph and all its child morphs, as indexes into the effect's morph library.
    std::vector<int32_t> Collected;
    std::vector<TMorphInit> Inits;
    bool HasLiveRange = false;
    TVector3 LiveMin{0, 0, 0};
    TVector3 LiveMax{0, 0, 0};
};

// The parameters of a kind of particle; created with Position (2), Alpha (1), Color (3),
// ColorValue (1), Frame (1) and Size (2), in that order.
class TNyxParticleTemplate : public TNyxObject {
public:
    explicit TNyxParticleTemplate(TNyxParticleEffect* effect);

    bool Assign(const TNyxObject* source) override;
    std::unique_ptr<TNyxObject> CreateSame() const override;

    int32_t ParamCount() const { return static_cast<int32_t>(params_.size()); }
    TNyxParticleParamType& Param(int32_t index) { return *params_[static_cast<size_t>(index)]; }
    const TNyxParticleParamType& Param(int32_t index) const {
        return *params_[static_cast<size_t>(index)];
    }
    // Ignoring case; nullptr when the template has no such parameter.
    TNyxParticleParamType* FindParam(std::string_view name);
    TNyxParticleParamType& AddParam(std::string_view name, int32_t dimension);

private:
    TNyxParticleEffect* effect_;
    std::vector<std::unique_ptr<TNyxParticleParamType>> params_;
};

class TNyxParticleSystem;

class TNyxParticle : public TNyxObject {
public:
    struct TSlot {
        // The morph: the effect's shared one, or Own.
        TNyxMorph* Morph = nullptr;
        std::unique_ptr<TNyxMorph> Own;
        TVector3 Value{0, 0, 0};
    };

    TNyxParticle() : TNyxObject("TNyxParticle") {}

    // Builds the slots from the template at time t and runs its init morphs.
    void Create(const TNyxParticleTemplate& source, TNyxParticleEffect& effect, int32_t t);
    // Evaluates every parameter at t; a value outside a live range marks the particle dead.
    void Update(int32_t t);
    // A copy of source for a copied effect, sharing that effect's morphs.
    void CopyFrom(const TNyxParticle& source, const TNyxParticleTemplate& sourceTemplate,
                  TNyxParticleEffect& effect);

    // The drawing read-out.
    TVector3 Position() const { return SlotValue(0); }
    float Alpha() const { return SlotValue(1)[0]; }
    TVector3 Color() const { return SlotValue(2); }
    float ColorValue() const { return SlotValue(3)[0]; }
    int32_t Frame() const { return RoundToInt(SlotValue(4)[0]); }
    TVector3 Size() const { return SlotValue(5); }
    const std::vector<TSlot>& Slots() const { return slots_; }
    void OffsetPosition(const TVector3& offset);

    int32_t BirthTime = 0;
    int32_t CurrentTime = 0;
    int32_t StartOffset = 0;
    bool Dead = false;

private:
    TVector3 SlotValue(size_t index) const {
        return index < slots_.size() ? slots_[index].Value : TVector3{0, 0, 0};
    }

    const TNyxParticleTemplate* template_ = nullptr;
    std::vector<TSlot> slots_;
};

class TNyxParticleSystem : public TNyxObject {
public:
    explicit TNyxParticleSystem(TNyxParticleEffect* effect);

    // Copies the settings and the particles of a system of another effect.
    bool Assign(const TNyxObject* source) override;
    std::unique_ptr<TNyxObject> CreateSame() const override;
    // Throws the initial particles at the effect's current time; false without a template.
    bool Initialize() override;
    void Update(int32_t t);

    int32_t ParticleCount() const { return static_cast<int32_t>(particles_.size()); }
    const TNyxParticle& Particle(int32_t index) const {
        return *particles_[static_cast<size_t>(index)];
    }
    // Reads the child tags of a <ParticleSystem> element.
    void ReadXML(const TNyxXMLTag& tag);

    TNyxParticleTemplate* Template = nullptr;
    std::string TemplateName;
    TVector3 Position{0, 0, 0};
    int32_t InitParticles = 0;
    int32_t InitInterval = 0;
    // "/n" in the description: the interval is the Position path's duration divided by n.
    bool InitIntervalDivided = false;
    int32_t InitDivisor = 0;
    int32_t MinParticles = 0;
    int32_t MaxParticles = 2147483647;
    int32_t MaxLifetime = 0;
    int32_t ThrowInterval = 0;
    int32_t ParticlesPerThrow = 0;
    int32_t EmissionInterval = 0;
    int32_t ThrowsPerEmission = 0;
    int32_t FrameCount = 0;
    std::string Resource;

private:
    void Throw(int64_t count, bool stagger, int64_t interval);
    int64_t DividedInterval() const;

    TNyxParticleEffect* effect_;
    std::vector<std::unique_ptr<TNyxParticle>> particles_;
    int32_t lastThrow_ = 0;
    int32_t pauseStart_ = 0;
    bool emitting_ = false;
    int32_t throwCount_ = 0;
};

class TNyxParticleTemplateLib : public TNyxStaticCollection {
public:
    TNyxParticleTemplateLib() : TNyxStaticCollection("TNyxParticleTemplateLib") {}
    TNyxParticleTemplate* Template(int32_t index) const {
        return dynamic_cast<TNyxParticleTemplate*>(Get(index));
    }
};

class TNyxParticleSystemLib : public TNyxStaticCollection {
public:
    TNyxParticleSystemLib() : TNyxStaticCollection("TNyxParticleSystemLib") {}
    TNyxParticleSystem* System(int32_t index) const {
        return dynamic_cast<TNyxParticleSystem*>(Get(index));
    }
    // Prepares every system; true only when all succeed.
    bool Initialize() override;
};

class TNyxParticleEffect : public TNyxObject {
public:
    TNyxParticleEffect() : TNyxObject("TNyxParticleEffect") {}

    // Reads an effect description; raises "Invalid effect XML stream" for an empty stream
    // and the loader's message for a faulty description.
    void LoadFromStream(const TMemoryStream& stream);
    // A working copy of a loaded prototype with its own functions, morphs, templates and
    // systems.
    bool Assign(const TNyxObject* source) override;
    void Start(int32_t t);
    void Update(int32_t t);

    int32_t SystemCount() const { return Systems.Count(); }
    const TNyxParticleSystem* System(int32_t index) const { return Systems.System(index); }

    int32_t StartTime = 0;
    int32_t CurrentTime = 0;
    int32_t LiveCount = 0;
    bool HasLifetime = false;
    int32_t Lifetime = 0;
    bool HasMinimum = false;
    int32_t MinParticles = 0;
    bool Finished = false;

    TNyxMorphFuncLib Functions;
    TNyxMorphLib Morphs;
    TNyxParticleTemplateLib Templates;
    TNyxParticleSystemLib Systems;

private:
    void ReadEffect(const TNyxXMLTag& tag);
    void ReadParameter(TNyxParticleTemplate& particle, const TNyxXMLTag& tag);
    std::vector<int32_t> CollectMorphs(int32_t root) const;
};

} // namespace qz::fx
