// Exception classes and the fixed messages that more than one export raises.
// Java code matches on these texts: change none of them.
#ifndef OLVAN_BRIDGE_MESSAGES_H
#define OLVAN_BRIDGE_MESSAGES_H

namespace olvan {

// Slash-separated, as FindClass takes them.
inline constexpr char kOutOfResourcesClass[] = "com/olvan/dravix/infrastructure/OutOfResourcesException";
inline constexpr char kDravixExceptionClass[] = "com/olvan/dravix/infrastructure/DravixException";
inline constexpr char kIllegalArgumentClass[] = "java/lang/IllegalArgumentException";
inline constexpr char kRuntimeExceptionClass[] = "java/lang/RuntimeException";
inline constexpr char kNullPointerClass[] = "java/lang/NullPointerException";

inline constexpr char kNoMemoryMessage[] = "insufficient memory for native allocation";
inline constexpr char kNullServiceMessage[] = "null Dravix native reference";
inline constexpr char kNullRecordMessage[] = "null Dravixproperty native reference";

}  // namespace olvan

#endif
