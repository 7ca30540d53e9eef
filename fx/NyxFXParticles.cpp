#include "fx/NyxFXParticles.h"

#include "archive/Error.h"
#include "archive/Helpers.h"
#include "archive/MemoryStream.h"
#include "archive/Random.h"
#include "fx/NyxPiecewiseFunc.h"
#include "xml/NyxParser.h"

#include <algorithm>
#include <limits>

namespace qz::fx {

namespace {

const std::string* AttributeValue(const TNyxXMLTag& tag, std::string_view name) {
    const TNyxParserAttribute* attribute = tag.FindAttribute(name);
    return attribute != nullptr ? &attribute->Value : nullptr;
}

int32_t StrToIntStrict(std::string_view text) {
    const std::optional<int32_t> value = TryStrToInt(Trim(text));
    if (!value) {
        throw Error("'" + std::string(text) + "' is not a valid integer value");
    }
    return *value;
}

int32_t SecondsToMs(std::string_view text) {
    return RoundToInt(static_cast<double>(StrToFloatStrict(Trim(text))) * 1000.0);
}

std::string WithoutParentheses(std::string_view text) {
    std::string result = Trim(text);
    if (!result.empty() && result.front() == '(') {
        result.erase(0, 1);
    }
    if (!result.empty() && result.back() == ')') {
        result.pop_back();
    }
    return result;
}

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

const TNyxXMLTag* FindElement(const TNyxXMLTag& tag, std::string_view name) {
    for (const std::unique_ptr<TNyxXMLTag>& child : tag.Tags) {
        if (child->Name == name) {
            return child.get();
        }
    }
    for (const std::unique_ptr<TNyxXMLTag>& child : tag.Tags) {
        if (const TNyxXMLTag* found = FindElement(*child, name)) {
            return found;
        }
    }
    return nullptr;
}

struct TStandardParam {
    const char* Name;
    int32_t Dimension;
    TVector3 Default;
};

constexpr TStandardParam StandardParams[] = {
    {"Position", 2, {0, 0, 0}},   {"Alpha", 1, {1, 0, 0}}, {"Color", 3, {255, 255, 255}},
    {"ColorValue", 1, {0, 0, 0}}, {"Frame", 1, {0, 0, 0}}, {"Size", 2, {1, 1, 1}},
};

} // namespace

TNyxParticleParamType::TNyxParticleParamType(std::string_view name, int32_t dimension,
                                             const TVector3& fallback)
    : Name(name.substr(0, TNyxObject::MaxNameLength)),
      Dimension(static_cast<uint8_t>(std::clamp(dimension, 1, 3))), Default(fallback) {}

void TNyxParticleParamType::CopyFrom(const TNyxParticleParamType& source, TNyxMorphFuncLib* funcs,
                                     TNyxMorphLib* morphs) {
    Name = source.Name;
    Dimension = source.Dimension;
    Default = source.Default;
    MorphIndex = source.MorphIndex;
    Cloned = source.Cloned;
    Collected = source.Collected;
    HasLiveRange = source.HasLiveRange;
    LiveMin = source.LiveMin;
    LiveMax = source.LiveMax;
    Inits.clear();
    for (const TMorphInit& init : source.Inits) {
        TMorphInit copy;
        copy.InList = init.InList;
        copy.Index = init.Index;
        copy.Properties = init.Properties;
        if (init.Copy != nullptr) {
            copy.Copy = std::make_unique<TNyxMorph>();
            copy.Copy->Assign(init.Copy.get());
            copy.Copy->BindLibraries(funcs, morphs);
        }
        Inits.push_back(std::move(copy));
    }
}

TNyxParticleTemplate::TNyxParticleTemplate(TNyxParticleEffect* effect)
    : TNyxObject("TNyxParticleTemplate"), effect_(effect) {
    for (const TStandardParam& param : StandardParams) {
        params_.push_back(
            std::make_unique<TNyxParticleParamType>(param.Name, param.Dimension, param.Default));
    }
}

bool TNyxParticleTemplate::Assign(const TNyxObject* source) {
    const auto* other = dynamic_cast<const TNyxParticleTemplate*>(source);
    if (other == nullptr) {
        return false;
    }
    TNyxObject::Assign(source);
    params_.clear();
    for (const std::unique_ptr<TNyxParticleParamType>& param : other->params_) {
        auto copy =
            std::make_unique<TNyxParticleParamType>(param->Name, param->Dimension, param->Default);
        copy->CopyFrom(*param, &effect_->Functions, &effect_->Morphs);
        params_.push_back(std::move(copy));
    }
    return true;
}

std::unique_ptr<TNyxObject> TNyxParticleTemplate::CreateSame() const {
    return std::make_unique<TNyxParticleTemplate>(effect_);
}

TNyxParticleParamType* TNyxParticleTemplate::FindParam(std::string_view name) {
    for (const std::unique_ptr<TNyxParticleParamType>& param : params_) {
        if (SameText(param->Name, name)) {
            return param.get();
        }
    }
    return nullptr;
}

TNyxParticleParamType& TNyxParticleTemplate::AddParam(std::string_view name, int32_t dimension) {
    params_.push_back(std::make_unique<TNyxParticleParamType>(name, dimension, TVector3{0, 0, 0}));
    return *params_.back();
}

void TNyxParticle::Create(const TNyxParticleTemplate& source, TNyxParticleEffect& effect,
                          int32_t t) {
    template_ = &source;
    slots_.clear();
    slots_.resize(static_cast<size_t>(source.ParamCount()));
    std::vector<TNyxMorph*> collected;
    for (int32_t i = 0; i < source.ParamCount(); ++i) {
        const TNyxParticleParamType& param = source.Param(i);
        TSlot& slot = slots_[static_cast<size_t>(i)];
        slot.Value = param.Default;
        TNyxMorph* shared = effect.Morphs.Morph(param.MorphIndex);
        if (shared == nullptr) {
            continue;
        }
        if (param.Cloned) {
            slot.Own = std::make_unique<TNyxMorph>();
            slot.Own->Assign(shared);
            slot.Own->SetBaseTime(t);
            slot.Own->Initialize();
            slot.Morph = slot.Own.get();
        } else {
            slot.Morph = shared;
        }

        collected.clear();
        collected.push_back(slot.Morph);
        for (size_t k = 1; k < param.Collected.size(); ++k) {
            collected.push_back(effect.Morphs.Morph(param.Collected[k]));
        }
        for (const TMorphInit& init : param.Inits) {
            TNyxMorph* target = init.Copy.get();
            if (init.InList) {
                target = init.Index >= 0 && static_cast<size_t>(init.Index) < collected.size()
                             ? collected[static_cast<size_t>(init.Index)]
                             : nullptr;
            }
            if (target == nullptr) {
                continue;
            }
            for (const TPropertyAssign& property : init.Properties) {
                TVector3 value = property.Min;
                if (property.Source == isRange) {
                    value = {0, 0, 0};
                    for (size_t k = 0; k < param.Dimension; ++k) {
                        const auto r = static_cast<float>(Random().NextReal());
                        value[k] = property.Min[k] + r * (property.Max[k] - property.Min[k]);
                    }
                } else if (property.Source != isConstant) {
                    TNyxMorph* from = nullptr;
                    const auto index = static_cast<size_t>(property.Morph);
                    if (property.Source == isCollectedMorph && index < collected.size()) {
                        from = collected[index];
                    } else if (property.Source == isLibraryMorph) {
                        from = effect.Morphs.Morph(property.Morph);
                    } else if (property.Source == isEntryCopy && index < param.Inits.size()) {
                        from = param.Inits[index].Copy.get();
                    }
                    if (from != nullptr) {
                        from->SetBaseTime(property.TFlag ? effect.StartTime : t);
                        value = from->GetValue(t);
                    }
                }
                if (property.TFlag) {
                    target->SetTimeShift(ClampToInt32(static_cast<int64_t>(t) - effect.StartTime));
                } else {
                    target->ApplyProperty(property.Target, value);
                }
            }
            if (!init.InList) {
                target->Initialize();
            }
        }
    }
    BirthTime = t;
    CurrentTime = t;
    for (TSlot& slot : slots_) {
        if (slot.Own != nullptr) {
            slot.Own->SetBaseTime(t);
        }
    }
}

void TNyxParticle::Update(int32_t t) {
    CurrentTime = t;
    Dead = false;
    for (size_t i = 0; i < slots_.size(); ++i) {
        TSlot& slot = slots_[i];
        if (slot.Morph == nullptr) {
            continue;
        }
        if (slot.Own == nullptr) {
            slot.Morph->SetBaseTime(BirthTime);
        }
        if (i == 0) {
            slot.Morph->ExtraShift = StartOffset;
        }
        slot.Value = slot.Morph->GetValue(t);
        const TNyxParticleParamType& param = template_->Param(static_cast<int32_t>(i));
        if (param.HasLiveRange) {
            for (size_t k = 0; k < param.Dimension; ++k) {
                if (slot.Value[k] < param.LiveMin[k] || slot.Value[k] > param.LiveMax[k]) {
                    Dead = true;
                    return;
                }
            }
        }
    }
}

void TNyxParticle::CopyFrom(const TNyxParticle& source, const TNyxParticleTemplate& sourceTemplate,
                            TNyxParticleEffect& effect) {
    TNyxObject::Assign(&source);
    template_ = &sourceTemplate;
    BirthTime = source.BirthTime;
    CurrentTime = source.CurrentTime;
    StartOffset = source.StartOffset;
    Dead = source.Dead;
    slots_.clear();
    slots_.resize(source.slots_.size());
    for (size_t i = 0; i < slots_.size(); ++i) {
        const TSlot& from = source.slots_[i];
        TSlot& slot = slots_[i];
        slot.Value = from.Value;
        if (from.Own != nullptr) {
            slot.Own = std::make_unique<TNyxMorph>();
            slot.Own->Assign(from.Own.get());
            slot.Own->BindLibraries(&effect.Functions, &effect.Morphs);
            slot.Morph = slot.Own.get();
        } else if (from.Morph != nullptr && static_cast<int32_t>(i) < sourceTemplate.ParamCount()) {
            slot.Morph =
                effect.Morphs.Morph(sourceTemplate.Param(static_cast<int32_t>(i)).MorphIndex);
        }
    }
}

void TNyxParticle::OffsetPosition(const TVector3& offset) {
    if (slots_.empty()) {
        return;
    }
    for (size_t k = 0; k < 3; ++k) {
        slots_[0].Value[k] += offset[k];
    }
}

TNyxParticleSystem::TNyxParticleSystem(TNyxParticleEffect* effect)
    : TNyxObject("TNyxParticleSystem"), effect_(effect) {}

bool TNyxParticleSystem::Assign(const TNyxObject* source) {
    const auto* other = dynamic_cast<const TNyxParticleSystem*>(source);
    if (other == nullptr) {
        return false;
    }
    TNyxObject::Assign(source);
    TemplateName = other->TemplateName;
    Position = other->Position;
    InitParticles = other->InitParticles;
    InitInterval = other->InitInterval;
    InitIntervalDivided = other->InitIntervalDivided;
    InitDivisor = other->InitDivisor;
    MinParticles = other->MinParticles;
    MaxParticles = other->MaxParticles;
    MaxLifetime = other->MaxLifetime;
    ThrowInterval = other->ThrowInterval;
    ParticlesPerThrow = other->ParticlesPerThrow;
    EmissionInterval = other->EmissionInterval;
    ThrowsPerEmission = other->ThrowsPerEmission;
    FrameCount = other->FrameCount;
    Resource = other->Resource;
    lastThrow_ = other->lastThrow_;
    pauseStart_ = other->pauseStart_;
    emitting_ = other->emitting_;
    throwCount_ = other->throwCount_;
    particles_.clear();
    if (Template != nullptr) {
        for (const std::unique_ptr<TNyxParticle>& particle : other->particles_) {
            auto copy = std::make_unique<TNyxParticle>();
            copy->CopyFrom(*particle, *Template, *effect_);
            particles_.push_back(std::move(copy));
        }
    }
    return true;
}

std::unique_ptr<TNyxObject> TNyxParticleSystem::CreateSame() const {
    return std::make_unique<TNyxParticleSystem>(effect_);
}

int64_t TNyxParticleSystem::DividedInterval() const {
    if (InitDivisor <= 0 || Template == nullptr) {
        return 0;
    }
    const TNyxMorph* morph = effect_->Morphs.Morph(Template->Param(0).MorphIndex);
    if (morph == nullptr) {
        return 0;
    }
    for (int32_t i = 0; i < morph->FunctionCount(); ++i) {
        if (const auto* path = dynamic_cast<const TNyxPiecewiseFunc*>(morph->GetFunction(i))) {
            return path->TotalDuration() / InitDivisor;
        }
    }
    return 0;
}

bool TNyxParticleSystem::Initialize() {
    lastThrow_ = effect_->CurrentTime;
    pauseStart_ = effect_->CurrentTime;
    emitting_ = false;
    throwCount_ = 0;
    if (Template == nullptr) {
        return false;
    }
    if (InitParticles > 0) {
        const int64_t interval = InitIntervalDivided ? DividedInterval() : InitInterval;
        // Every initial particle is thrown; the maximum only holds back later throws.
        Throw(InitParticles, interval != 0, interval);
    }
    return true;
}

void TNyxParticleSystem::Throw(int64_t count, bool stagger, int64_t interval) {
    const int32_t now = effect_->CurrentTime;
    if (Template == nullptr || count <= 0) {
        return;
    }
    particles_.reserve(particles_.size() + static_cast<size_t>(count));
    for (int64_t k = 0; k < count; ++k) {
        auto particle = std::make_unique<TNyxParticle>();
        particle->Create(*Template, *effect_, now);
        particle->SetName(Template->Name() + IntToStr(static_cast<int64_t>(particles_.size())));
        particle->StartOffset = stagger ? ClampToInt32(k * interval) : 0;
        particle->Update(now);
        particle->OffsetPosition(Position);
        particles_.push_back(std::move(particle));
    }
    lastThrow_ = now;
}

void TNyxParticleSystem::Update(int32_t t) {
    size_t count = particles_.size();
    size_t kept = 0;
    for (size_t i = 0; i < particles_.size(); ++i) {
        TNyxParticle& particle = *particles_[i];
        particle.Update(t);
        const bool old =
            MaxLifetime != 0 &&
            static_cast<int64_t>(particle.CurrentTime) - particle.BirthTime > MaxLifetime;
        if ((particle.Dead || old) && static_cast<int64_t>(count) > MinParticles) {
            --count;
            continue;
        }
        particle.OffsetPosition(Position);
        if (kept != i) {
            particles_[kept] = std::move(particles_[i]);
        }
        ++kept;
    }
    particles_.resize(kept);

    const bool canThrow = ThrowInterval != 0 &&
                          static_cast<int64_t>(t) - lastThrow_ >= ThrowInterval &&
                          static_cast<int64_t>(ParticleCount()) + ParticlesPerThrow <= MaxParticles;
    if (EmissionInterval != 0) {
        if (!emitting_ && static_cast<int64_t>(t) - pauseStart_ >= EmissionInterval) {
            emitting_ = true;
            throwCount_ = 0;
        }
        if (emitting_ && canThrow) {
            Throw(ParticlesPerThrow, false, 0);
            ++throwCount_;
            if (throwCount_ == ThrowsPerEmission) {
                emitting_ = false;
                pauseStart_ = t;
            }
        }
    } else if (canThrow) {
        Throw(ParticlesPerThrow, false, 0);
    }
}

void TNyxParticleSystem::ReadXML(const TNyxXMLTag& tag) {
    for (const std::unique_ptr<TNyxXMLTag>& child : tag.Tags) {
        const std::string& name = child->Name;
        const std::string& value = child->Value;
        if (name == "Position") {
            Position = StrToVector(value);
        } else if (name == "InitParticles") {
            InitParticles = StrToIntStrict(value);
        } else if (name == "InitInterval") {
            const std::string text = Trim(value);
            InitIntervalDivided = !text.empty() && text.front() == '/';
            if (InitIntervalDivided) {
                InitDivisor = StrToIntStrict(text.substr(1));
                InitInterval = 0;
            } else {
                InitInterval = SecondsToMs(text);
            }
        } else if (name == "MinParticles") {
            MinParticles = StrToIntStrict(value);
        } else if (name == "MaxParticles") {
            MaxParticles = StrToIntStrict(value);
        } else if (name == "MaxLifetime") {
            MaxLifetime = SecondsToMs(value);
        } else if (name == "ThrowInterval") {
            ThrowInterval = SecondsToMs(value);
        } else if (name == "ParticlesPerThrow") {
            ParticlesPerThrow = StrToIntStrict(value);
        } else if (name == "EmissionInterval") {
            EmissionInterval = SecondsToMs(value);
        } else if (name == "ThrowsPerEmission") {
            ThrowsPerEmission = StrToIntStrict(value);
        } else if (name == "FrameCount") {
            FrameCount = StrToIntStrict(value);
        } else if (name == "Resource") {
            Resource = Trim(value).substr(0, MaxNameLength);
        }
    }
}

bool TNyxParticleSystemLib::Initialize() {
    bool all = true;
    for (int32_t i = 0; i < Count(); ++i) {
        if (TNyxObject* item = Get(i)) {
            all = item->Initialize() && all;
        }
    }
    return all;
}

void TNyxParticleEffect::LoadFromStream(const TMemoryStream& stream) {
    if (stream.Size() == 0) {
        throw Error("Invalid effect XML stream");
    }
    TNyxParser parser;
    parser.LoadFromStream(stream);
    const TNyxXMLTag* effect = FindElement(parser, "ParticleEffect");
    if (effect == nullptr) {
        throw Error("Effect \"" + Name() + "\" XML description has no <ParticleEffect> tag");
    }
    ReadEffect(*effect);
}

void TNyxParticleEffect::ReadEffect(const TNyxXMLTag& tag) {
    const std::string* name = AttributeValue(tag, "Name");
    if (name == nullptr) {
        throw Error("Tag <ParticleEffect> has no \"Name\" attribute");
    }
    SetName(*name);
    if (const std::string* lifetime = AttributeValue(tag, "Lifetime")) {
        HasLifetime = true;
        Lifetime = SecondsToMs(*lifetime);
    }
    if (const std::string* minimum = AttributeValue(tag, "MinParticles")) {
        HasMinimum = true;
        MinParticles = StrToIntStrict(*minimum);
    }
    const auto required = [&](const char* child) -> const TNyxXMLTag& {
        const TNyxXMLTag* found = tag.FindTag(child);
        if (found == nullptr) {
            throw Error("Effect \"" + Name() + "\" XML description has no <" + child + "> tag");
        }
        return *found;
    };

    for (const std::unique_ptr<TNyxXMLTag>& item : required("Functions").Tags) {
        if (item->Name != "Function") {
            continue;
        }
        std::unique_ptr<TNyxMorphFunc> function = ReadMorphFunction(*item);
        if (Functions.IndexOf(function->Name()) < 0) {
            Functions.Add(std::move(function));
        }
    }

    for (const std::unique_ptr<TNyxXMLTag>& item : required("Morphs").Tags) {
        if (item->Name != "Morph") {
            continue;
        }
        const std::string* morphName = AttributeValue(*item, "Name");
        if (morphName == nullptr) {
            throw Error("<Morph> tag has no \"Name\" attribute");
        }
        const std::string* dim = AttributeValue(*item, "Dim");
        if (dim == nullptr) {
            throw Error("<Morph> tag has no \"Dim\" attribute");
        }
        TNyxMorph* morph = Morphs.Find(*morphName);
        if (morph == nullptr) {
            auto created = std::make_unique<TNyxMorph>();
            created->SetName(*morphName);
            created->SetDimension(StrToIntStrict(*dim));
            created->BindLibraries(&Functions, &Morphs);
            if (const std::string* start = AttributeValue(*item, "StartTime")) {
                created->SetBaseTime(StrToIntStrict(*start));
            }
            morph = created.get();
            Morphs.Add(std::move(created));
        }
        morph->ReadXML(*item);
    }

    for (const std::unique_ptr<TNyxXMLTag>& item : required("Particles").Tags) {
        if (item->Name != "Particle") {
            continue;
        }
        const std::string* particleName = AttributeValue(*item, "Name");
        if (particleName == nullptr) {
            throw Error("<Particle> tag has no \"Name\" attribute");
        }
        auto* particle = Templates.Template(Templates.IndexOf(*particleName));
        if (particle == nullptr) {
            auto created = std::make_unique<TNyxParticleTemplate>(this);
            created->SetName(*particleName);
            particle = created.get();
            Templates.Add(std::move(created));
        }
        for (const std::unique_ptr<TNyxXMLTag>& parameter : item->Tags) {
            if (parameter->Name != "Parameter") {
                throw Error("<Particle> tag contains invalid tag \"" + parameter->Name + "\"");
            }
            ReadParameter(*particle, *parameter);
        }
    }

    for (const std::unique_ptr<TNyxXMLTag>& item : required("ParticleSystems").Tags) {
        if (item->Name != "ParticleSystem") {
            continue;
        }
        const std::string* systemName = AttributeValue(*item, "Name");
        if (systemName == nullptr) {
            throw Error("<ParticleSystem> tag has no \"Name\" attribute");
        }
        const std::string* templateName = AttributeValue(*item, "Template");
        if (templateName == nullptr) {
            throw Error("<ParticleSystem> tag has no \"Template\" attribute");
        }
        auto* system = Systems.System(Systems.IndexOf(*systemName));
        if (system == nullptr) {
            auto created = std::make_unique<TNyxParticleSystem>(this);
            created->SetName(*systemName);
            system = created.get();
            Systems.Add(std::move(created));
        }
        system->TemplateName = *templateName;
        system->Template = Templates.Template(Templates.IndexOf(*templateName));
        system->ReadXML(*item);
    }
}

std::vector<int32_t> TNyxParticleEffect::CollectMorphs(int32_t root) const {
    std::vector<int32_t> collected;
    std::vector<int32_t> pending{root};
    // Depth first, each morph once, so that morphs bound to each other end the walk.
    while (!pending.empty()) {
        const int32_t index = pending.back();
        pending.pop_back();
        const TNyxMorph* morph = Morphs.Morph(index);
        if (morph == nullptr ||
            std::find(collected.begin(), collected.end(), index) != collected.end()) {
            continue;
        }
        collected.push_back(index);
        for (int32_t c = morph->ChildMorphCount() - 1; c >= 0; --c) {
            if (const TNyxMorph* child = morph->ChildMorph(c)) {
                pending.push_back(Morphs.IndexOf(child->Name()));
            }
        }
    }
    return collected;
}

void TNyxParticleEffect::ReadParameter(TNyxParticleTemplate& particle, const TNyxXMLTag& tag) {
    const std::string* name = AttributeValue(tag, "Name");
    if (name == nullptr) {
        throw Error("<Parameter> tag has no \"Name\" attribute");
    }
    const std::string* dim = AttributeValue(tag, "Dim");
    if (dim == nullptr) {
        throw Error("<Parameter> tag has no \"Dim\" attribute");
    }
    const int32_t dimension = std::clamp(StrToIntStrict(*dim), 1, 3);
    TNyxParticleParamType* found = particle.FindParam(*name);
    TNyxParticleParamType& param = found != nullptr ? *found : particle.AddParam(*name, dimension);
    param.Dimension = static_cast<uint8_t>(dimension);
    param.MorphIndex = -1;
    param.Cloned = false;
    param.HasLiveRange = false;
    param.Inits.clear();
    param.Collected.clear();

    const std::string* morphName = AttributeValue(tag, "Morph");
    if (morphName == nullptr) {
        throw Error("<Parameter> tag has no \"Morph\" attribute");
    }
    param.MorphIndex = Morphs.IndexOf(*morphName);
    if (param.MorphIndex < 0) {
        throw Error("<Parameter> tag \"Morph\" attribute contains unknown Morph name \"" +
                    *morphName + "\"");
    }
    param.Collected = CollectMorphs(param.MorphIndex);
    if (const std::string* cloned = AttributeValue(tag, "ClonedMorph")) {
        param.Cloned = SameText(Trim(*cloned), "true");
    }
    const auto collectedIndex = [&](std::string_view morph) -> int32_t {
        for (size_t i = 0; i < param.Collected.size(); ++i) {
            if (SameText(Morphs.Morph(param.Collected[i])->Name(), morph)) {
                return static_cast<int32_t>(i);
            }
        }
        return -1;
    };

    if (const TNyxXMLTag* inits = tag.FindTag("InitMorphs")) {
        for (const std::unique_ptr<TNyxXMLTag>& item : inits->Tags) {
            if (item->Name != "InitMorph") {
                throw Error("<InitMorphs> tag contains invalid tag \"" + item->Name + "\"");
            }
            const std::string* initName = AttributeValue(*item, "Name");
            if (initName == nullptr) {
                throw Error("<InitMorph> tag has no \"Name\" attribute");
            }
            TMorphInit init;
            init.Index = collectedIndex(*initName);
            init.InList = init.Index >= 0;
            TNyxMorph* morph = nullptr;
            if (init.InList) {
                morph = Morphs.Morph(param.Collected[static_cast<size_t>(init.Index)]);
            } else {
                init.Index = Morphs.IndexOf(*initName);
                morph = Morphs.Morph(init.Index);
                if (morph == nullptr) {
                    throw Error(
                        "<InitMorph> tag \"Name\" attribute contains unknown Morph name \"" +
                        *initName + "\"");
                }
                init.Copy = std::make_unique<TNyxMorph>();
                init.Copy->Assign(morph);
            }
            for (const std::unique_ptr<TNyxXMLTag>& property : item->Tags) {
                if (property->Name != "Property") {
                    throw Error("<InitMorph> tag contains invalid tag <" + property->Name + ">");
                }
                const std::string* propertyName = AttributeValue(*property, "Name");
                if (propertyName == nullptr) {
                    throw Error("<Property> tag has no \"Name\" attribute");
                }
                const std::string& target = *propertyName;
                const std::string value = Trim(property->Value);
                TPropertyAssign assign;
                if (SameText(target, "Position")) {
                    assign.Target = {pkPosition};
                } else if (SameText(target, "Rotation")) {
                    assign.Target = {pkRotation};
                } else if (SameText(target, "Scale")) {
                    assign.Target = {pkScale};
                } else if (SameText(target, "StartTime")) {
                    assign.Target = {pkStartTime};
                    assign.TFlag = value == "T";
                } else {
                    const size_t dot = target.find('.');
                    if (dot == std::string::npos) {
                        throw Error("<Property> tag \"Name\" attribute has invalid value \"" +
                                    target + "\"");
                    }
                    const int32_t function = morph->IndexOfFunction(target.substr(0, dot));
                    if (function < 0) {
                        throw Error("<Property> tag \"Name\" attribute value \"" + target +
                                    "\" contains unknown Function name");
                    }
                    const std::optional<int32_t> index =
                        morph->GetFunction(function)->FindParamIndex(target.substr(dot + 1));
                    if (!index) {
                        throw Error("<Property> tag \"Name\" attribute value \"" + target +
                                    "\" contains unknown parameter name");
                    }
                    assign.Target = {pkFunctionParam, function, *index};
                }

                const size_t range = value.find("..");
                if (const int32_t listed = collectedIndex(value); listed >= 0) {
                    assign.Source = isCollectedMorph;
                    assign.Morph = listed;
                } else if (const int32_t library = Morphs.IndexOf(value); library >= 0) {
                    assign.Source = isLibraryMorph;
                    assign.Morph = library;
                } else if (range != std::string::npos && range >= 3) {
                    assign.Source = isRange;
                    assign.Min = StrToVector(WithoutParentheses(value.substr(0, range)));
                    assign.Max = StrToVector(WithoutParentheses(value.substr(range + 2)));
                } else {
                    std::string constant;
                    for (char c : value) {
                        constant += c == 'T' ? IntToStr(StartTime) : std::string(1, c);
                    }
                    assign.Min = StrToVector(constant);
                }
                init.Properties.push_back(assign);
            }
            param.Inits.push_back(std::move(init));
        }
    }

    if (const TNyxXMLTag* live = tag.FindTag("LiveValue")) {
        const std::string value = Trim(live->Value);
        const size_t separator = value.find(")-(");
        if (separator == std::string::npos || separator < 1) {
            throw Error("<LiveValue> tag value \"" + value + "\" has invalid syntax");
        }
        param.LiveMin = StrToVector(WithoutParentheses(value.substr(0, separator + 1)));
        param.LiveMax = StrToVector(WithoutParentheses(value.substr(separator + 2)));
        param.HasLiveRange = true;
    }

    // Library entries first, then collected ones by their place in the list; a library
    // morph source that an entry so far also initialises reads that entry's copy.
    std::stable_sort(param.Inits.begin(), param.Inits.end(),
                     [](const TMorphInit& a, const TMorphInit& b) {
                         if (a.InList != b.InList) {
                             return !a.InList;
                         }
                         return a.InList && a.Index < b.Index;
                     });
    for (size_t i = 1; i < param.Inits.size(); ++i) {
        for (TPropertyAssign& property : param.Inits[i].Properties) {
            if (property.Source != isLibraryMorph) {
                continue;
            }
            for (size_t j = 0; j <= i; ++j) {
                if (!param.Inits[j].InList && param.Inits[j].Index == property.Morph) {
                    property.Source = isEntryCopy;
                    property.Morph = static_cast<int32_t>(j);
                    break;
                }
            }
        }
    }
}

bool TNyxParticleEffect::Assign(const TNyxObject* source) {
    const auto* other = dynamic_cast<const TNyxParticleEffect*>(source);
    if (other == nullptr) {
        return false;
    }
    TNyxObject::Assign(source);
    StartTime = other->StartTime;
    CurrentTime = other->CurrentTime;
    LiveCount = other->LiveCount;
    HasLifetime = other->HasLifetime;
    Lifetime = other->Lifetime;
    HasMinimum = other->HasMinimum;
    MinParticles = other->MinParticles;
    Finished = other->Finished;

    Systems.Clear();
    Templates.Clear();
    Morphs.Clear();
    Functions.Assign(&other->Functions);
    for (int32_t i = 0; i < other->Morphs.Count(); ++i) {
        const TNyxMorph* from = other->Morphs.Morph(i);
        auto morph = std::make_unique<TNyxMorph>();
        if (from != nullptr) {
            morph->SetName(from->Name());
            morph->SetDimension(from->Dimension());
            morph->SetBaseTime(from->BaseTime);
            morph->Assign(from);
        }
        Morphs.Add(std::move(morph));
    }
    for (int32_t i = 0; i < Morphs.Count(); ++i) {
        Morphs.Morph(i)->BindLibraries(&Functions, &Morphs);
    }
    for (int32_t i = 0; i < other->Templates.Count(); ++i) {
        auto copy = std::make_unique<TNyxParticleTemplate>(this);
        copy->Assign(other->Templates.Get(i));
        Templates.Add(std::move(copy));
    }
    for (int32_t i = 0; i < other->Systems.Count(); ++i) {
        const TNyxParticleSystem* from = other->Systems.System(i);
        auto copy = std::make_unique<TNyxParticleSystem>(this);
        if (from != nullptr) {
            copy->Template = Templates.Template(Templates.IndexOf(from->TemplateName));
            copy->Assign(from);
        }
        Systems.Add(std::move(copy));
    }
    return true;
}

void TNyxParticleEffect::Start(int32_t t) {
    StartTime = t;
    CurrentTime = t;
    Finished = false;
    Systems.Initialize();
}

void TNyxParticleEffect::Update(int32_t t) {
    CurrentTime = t;
    int64_t live = 0;
    for (int32_t i = 0; i < Systems.Count(); ++i) {
        if (TNyxParticleSystem* system = Systems.System(i)) {
            system->Update(t);
            live += system->ParticleCount();
        }
    }
    LiveCount = ClampToInt32(live);
    Finished = (HasLifetime && static_cast<int64_t>(t) - StartTime > Lifetime) ||
               (HasMinimum && LiveCount < MinParticles);
}

} // namespace qz::fx
