// What calls as statements and calls inside expressions share: the
// conversion of an analog function's argument text into C, where arguments
// that the function writes are passed by address.
#pragma once

#include <string>

// Appends to `out` the arguments of `args_text` for function `func`, each as
// " %s," or " &(%s),", the last one closing the call with ")".  Arguments are
// split at commas outside parentheses.  An argument beyond the function's
// count is reported (with `name` for the message) and written plainly.
void zelk_convert_call_arguments(std::string &out, int func, const char *name,
                                 const char *args_text);
