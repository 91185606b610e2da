#include "engine_error.h"

#include <new>

#include "texts.h"

namespace ostrevan {

std::string CurrentErrorMessage() {
  try {
    throw;
  } catch (const EngineError& error) {
    return error.message();
  } catch (const std::bad_alloc&) {
    return Text(texts::kOutOfMemory);
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return std::string();
  }
}

std::string ErrorText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.')) {
    return message + ".";
  }
  return message;
}

}  // namespace ostrevan
