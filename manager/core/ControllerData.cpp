#include "manager/core/ControllerData.h"

namespace {

using FieldPointer = std::int32_t PointRecord::*;
constexpr FieldPointer kFields[PointRecord::kFieldCount] = {
    &PointRecord::number, &PointRecord::m,  &PointRecord::p,  &PointRecord::s, &PointRecord::ac,
    &PointRecord::dc,     &PointRecord::q,  &PointRecord::zl, &PointRecord::zh, &PointRecord::n,
    &PointRecord::j,      &PointRecord::f,  &PointRecord::c,  &PointRecord::t,
};

}  // namespace

std::int32_t& PointRecord::Field(int index) { return this->*kFields[index]; }

std::int32_t PointRecord::Field(int index) const { return this->*kFields[index]; }

bool CopyControllerData(ControllerData* destination, const ControllerData* source)
{
    if (!destination || !source) return false;
    RobotParameterSet* to = destination->FirstParamSet();
    const RobotParameterSet* from = source->FirstParamSet();
    if (!to || !from) return false;
    if (destination == source) return true;

    destination->controller = source->controller;
    destination->robot = source->robot;
    destination->interfaceText = source->interfaceText;
    destination->version = source->version;
    destination->dbVersion = source->dbVersion;
    destination->typeText = source->typeText;
    destination->ipAddress = source->ipAddress;
    destination->subnetMask = source->subnetMask;
    destination->gateway = source->gateway;
    destination->points = source->points;
    to->name = from->name;
    to->values = from->values;
    return true;
}

bool ControllerDataStore::AllocControllerData(ControllerDataSlot& slot) const
{
    if (slot) return false;
    auto data = std::make_unique<ControllerData>();
    data->paramSets.resize(static_cast<std::size_t>(m_paramSetCount));
    slot = std::move(data);
    return true;
}

bool ControllerDataStore::FreeControllerData(ControllerDataSlot& slot) const
{
    if (!slot) return false;
    slot.reset();
    return true;
}
