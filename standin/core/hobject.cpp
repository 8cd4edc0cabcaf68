// HObject and HImage: lists of iconic items.
#include "access.h"
#include "errors.h"

namespace HalconCpp {

HObject::HObject() : data_(new Data) {}
HObject::HObject(const HObject& other) : data_(new Data{other.data_->object}) {}
HObject& HObject::operator=(const HObject& other) {
  data_->object = other.data_->object;
  return *this;
}
HObject::~HObject() {
  delete data_;
}

Hlong HObject::CountObj() const {
  return static_cast<Hlong>(data_->object.items.size());
}

HObject HObject::SelectObj(Hlong index) const {
  if (index < 1 || index > CountObj()) standin::raise("select_obj", standin::err::kWrongValue + 1);
  HObject one;
  one.data_->object.items.push_back(data_->object.items[static_cast<size_t>(index - 1)]);
  one.data_->object.defined = true;
  return one;
}

HTuple HObject::GetObjClass() const {
  HTuple classes;
  for (const auto& item : data_->object.items) classes.Append(HTuple(item.objClass.c_str()));
  return classes;
}

HImage::HImage(const HObject& object) : HObject(object) {
  const auto& items = HObjectAccess::object(*this).items;
  if (items.empty() || items[0].objClass != "image")
    standin::raise("HImage", standin::err::kWrongValue + 1, "Object is not an image");
}

Hlong HImage::Width() const {
  const auto& items = HObjectAccess::object(*this).items;
  return items.empty() ? 0 : items[0].width;
}

Hlong HImage::Height() const {
  const auto& items = HObjectAccess::object(*this).items;
  return items.empty() ? 0 : items[0].height;
}

}  // namespace HalconCpp
