// The host's label printer definition as the console prepares it.
#include "console/label_definition.h"

namespace cratemark {

std::vector<TypedValue> LabelDefinitionValues() {
  const int integers_before_23[] = {99, 21, 120, 0,  55, 1, 0, 11, 0, 10, 0,
                                    8,  0,  9,   12, 0,  1, 1, 1,  1, 2,  0};
  std::vector<TypedValue> values;
  for (int value : integers_before_23) values.push_back(TypedValue::Integer(value));
  values.push_back(TypedValue::Logical(false));  // 23
  for (int value : {5, 0, 6, 0, 7, 0, 4, 0}) values.push_back(TypedValue::Integer(value));
  values.push_back(TypedValue::Logical(false));  // 32
  values.push_back(TypedValue::Integer(3));
  values.push_back(TypedValue::Integer(0));
  values.push_back(TypedValue::Logical(false));  // 35
  values.push_back(TypedValue::Integer(1));
  values.push_back(TypedValue::Integer(0));
  values.push_back(TypedValue::Logical(false));  // 38
  values.push_back(TypedValue::Logical(false));  // 39
  return values;
}

}  // namespace cratemark
