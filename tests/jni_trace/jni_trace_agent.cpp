// A JVMTI agent that records what chosen native libraries look up through JNI:
// classes by name, fields and methods with their signatures, the constructors
// that ThrowNew calls, and any other access an ahead-of-time compiled image
// must be told of beforehand. It replaces the JVM's JNI function table, as
// tracing agents do, and writes one line an access when the JVM ends.
//
// -agentpath:libolvanjnitrace.so=OUTPUT,LIBRARY[,LIBRARY...]
//   OUTPUT  the file to write;
//   LIBRARY a file name (no folder): only calls made from code of a library of
//           that name are recorded.
//
// Lines: "<library>\t<kind>\t<class>\t<member>\t<signature>", sorted, each once;
// kind is class, field, static-field, method, static-method, array (the class
// of an array NewObjectArray makes), or one of the
// accesses that need more than JNI metadata (reflected, alloc-object,
// register-natives). The class is named as Class.getName() names it.
#include <jni.h>
#include <jvmti.h>

#include <dlfcn.h>
#include <execinfo.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

struct Trace {
    jvmtiEnv *jvmti = nullptr;
    const JNINativeInterface_ *original = nullptr;
    std::string output;
    std::vector<std::string> libraries;
    std::mutex mutex;
    std::set<std::string> lines;
};

// The agent's one instance: the JNI hooks have no other way to reach it.
Trace *g_trace = nullptr;

std::string base_name(const char *path) {
    const char *slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

// The watched library whose code made the JNI call now being hooked, or empty.
// Frames of this agent and of the JVM (the checked layer of -Xcheck:jni sits
// between a caller and the hook) are passed over.
std::string calling_library() {
    void *frames[16];
    const int count = backtrace(frames, 16);
    Dl_info self{};
    dladdr(reinterpret_cast<void *>(&calling_library), &self);
    for (int i = 1; i < count; ++i) {
        Dl_info info{};
        if (dladdr(frames[i], &info) == 0 || info.dli_fname == nullptr || info.dli_fbase == self.dli_fbase) {
            continue;
        }
        const std::string name = base_name(info.dli_fname);
        if (name == "libjvm.so") {
            continue;
        }
        for (const std::string &library : g_trace->libraries) {
            if (name == library) {
                return name;
            }
        }
        return {};
    }
    return {};
}

// A JNI class name as Class.getName() gives it: "java/lang/String" is "java.lang.String", "[B" stays "[B".
std::string java_name(const char *jni_name) {
    std::string name = jni_name ? jni_name : "(null)";
    for (char &c : name) {
        if (c == '/') {
            c = '.';
        }
    }
    return name;
}

// The Class.getName() of a class reference, from its JVM signature ("Ljava/util/Properties;").
std::string class_name(jclass cls) {
    if (cls == nullptr) {
        return "(null)";
    }
    char *signature = nullptr;
    if (g_trace->jvmti->GetClassSignature(cls, &signature, nullptr) != JVMTI_ERROR_NONE || signature == nullptr) {
        return "(unknown)";
    }
    std::string name = signature;
    g_trace->jvmti->Deallocate(reinterpret_cast<unsigned char *>(signature));
    if (name.size() > 2 && name.front() == 'L' && name.back() == ';') {
        name = name.substr(1, name.size() - 2);
    }
    return java_name(name.c_str());
}

void record(const std::string &library, const char *kind, const std::string &cls, const char *member,
            const char *signature) {
    std::string line = library + '\t' + kind + '\t' + cls + '\t' + (member ? member : "") + '\t' +
                       (signature ? signature : "");
    std::lock_guard<std::mutex> lock(g_trace->mutex);
    g_trace->lines.insert(std::move(line));
}

// Records when a watched library made the call; evaluated before the call goes on.
#define OLVAN_TRACE(kind, cls, member, signature)                 \
    do {                                                          \
        const std::string library = calling_library();            \
        if (!library.empty()) {                                   \
            record(library, kind, cls, member, signature);        \
        }                                                         \
    } while (false)

jclass JNICALL find_class(JNIEnv *env, const char *name) {
    OLVAN_TRACE("class", java_name(name), "", "");
    return g_trace->original->FindClass(env, name);
}

// The four member look-ups share one shape: record, then make the JVM's own call.
constexpr char kField[] = "field";
constexpr char kStaticField[] = "static-field";
constexpr char kMethod[] = "method";
constexpr char kStaticMethod[] = "static-method";

template <auto Slot, const char *Kind>
auto JNICALL member_lookup(JNIEnv *env, jclass cls, const char *name, const char *sig) {
    OLVAN_TRACE(Kind, class_name(cls), name, sig);
    return (g_trace->original->*Slot)(env, cls, name, sig);
}

// ThrowNew calls the class's constructor that takes one String.
jint JNICALL throw_new(JNIEnv *env, jclass cls, const char *message) {
    OLVAN_TRACE("method", class_name(cls), "<init>", "(Ljava/lang/String;)V");
    return g_trace->original->ThrowNew(env, cls, message);
}

// An image must know the array class as well as its elements' class.
jobjectArray JNICALL new_object_array(JNIEnv *env, jsize length, jclass element, jobject initial) {
    const std::string name = class_name(element);
    OLVAN_TRACE("array", name.front() == '[' ? "[" + name : "[L" + name + ";", "", "");
    return g_trace->original->NewObjectArray(env, length, element, initial);
}

jobject JNICALL alloc_object(JNIEnv *env, jclass cls) {
    OLVAN_TRACE("alloc-object", class_name(cls), "", "");
    return g_trace->original->AllocObject(env, cls);
}

jmethodID JNICALL from_reflected_method(JNIEnv *env, jobject method) {
    OLVAN_TRACE("reflected", "", "FromReflectedMethod", "");
    return g_trace->original->FromReflectedMethod(env, method);
}

jfieldID JNICALL from_reflected_field(JNIEnv *env, jobject field) {
    OLVAN_TRACE("reflected", "", "FromReflectedField", "");
    return g_trace->original->FromReflectedField(env, field);
}

jobject JNICALL to_reflected_method(JNIEnv *env, jclass cls, jmethodID method, jboolean is_static) {
    OLVAN_TRACE("reflected", class_name(cls), "ToReflectedMethod", "");
    return g_trace->original->ToReflectedMethod(env, cls, method, is_static);
}

jobject JNICALL to_reflected_field(JNIEnv *env, jclass cls, jfieldID field, jboolean is_static) {
    OLVAN_TRACE("reflected", class_name(cls), "ToReflectedField", "");
    return g_trace->original->ToReflectedField(env, cls, field, is_static);
}

jint JNICALL register_natives(JNIEnv *env, jclass cls, const JNINativeMethod *methods, jint count) {
    OLVAN_TRACE("register-natives", class_name(cls), "", "");
    return g_trace->original->RegisterNatives(env, cls, methods, count);
}

void JNICALL on_vm_init(jvmtiEnv *jvmti, JNIEnv *, jthread) {
    jniNativeInterface *table = nullptr;
    if (jvmti->GetJNIFunctionTable(&table) != JVMTI_ERROR_NONE) {
        std::fprintf(stderr, "jni trace: GetJNIFunctionTable failed\n");
        return;
    }
    // The copy the JVM made is kept as the original calls; ours gets the hooks.
    g_trace->original = table;
    static jniNativeInterface hooked;
    hooked = *table;
    hooked.FindClass = find_class;
    hooked.GetFieldID = member_lookup<&JNINativeInterface_::GetFieldID, kField>;
    hooked.GetStaticFieldID = member_lookup<&JNINativeInterface_::GetStaticFieldID, kStaticField>;
    hooked.GetMethodID = member_lookup<&JNINativeInterface_::GetMethodID, kMethod>;
    hooked.GetStaticMethodID = member_lookup<&JNINativeInterface_::GetStaticMethodID, kStaticMethod>;
    hooked.ThrowNew = throw_new;
    hooked.NewObjectArray = new_object_array;
    hooked.AllocObject = alloc_object;
    hooked.FromReflectedMethod = from_reflected_method;
    hooked.FromReflectedField = from_reflected_field;
    hooked.ToReflectedMethod = to_reflected_method;
    hooked.ToReflectedField = to_reflected_field;
    hooked.RegisterNatives = register_natives;
    if (jvmti->SetJNIFunctionTable(&hooked) != JVMTI_ERROR_NONE) {
        std::fprintf(stderr, "jni trace: SetJNIFunctionTable failed\n");
    }
}

void JNICALL on_vm_death(jvmtiEnv *, JNIEnv *) {
    std::lock_guard<std::mutex> lock(g_trace->mutex);
    FILE *out = std::fopen(g_trace->output.c_str(), "w");
    if (out == nullptr) {
        std::fprintf(stderr, "jni trace: cannot write %s\n", g_trace->output.c_str());
        return;
    }
    for (const std::string &line : g_trace->lines) {
        std::fprintf(out, "%s\n", line.c_str());
    }
    std::fclose(out);
}

}  // namespace

extern "C" JNIEXPORT jint JNICALL Agent_OnLoad(JavaVM *vm, char *options, void *) {
    if (options == nullptr || std::strchr(options, ',') == nullptr) {
        std::fprintf(stderr, "jni trace: usage -agentpath:<agent>=OUTPUT,LIBRARY[,LIBRARY...]\n");
        return JNI_ERR;
    }
    g_trace = new Trace();
    std::string rest = options;
    std::size_t comma = rest.find(',');
    g_trace->output = rest.substr(0, comma);
    rest = rest.substr(comma + 1);
    while (!rest.empty()) {
        comma = rest.find(',');
        g_trace->libraries.push_back(rest.substr(0, comma));
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
    }
    if (vm->GetEnv(reinterpret_cast<void **>(&g_trace->jvmti), JVMTI_VERSION_1_2) != JNI_OK) {
        return JNI_ERR;
    }
    jvmtiEventCallbacks callbacks{};
    callbacks.VMInit = on_vm_init;
    callbacks.VMDeath = on_vm_death;
    jvmtiEnv *jvmti = g_trace->jvmti;
    if (jvmti->SetEventCallbacks(&callbacks, sizeof callbacks) != JVMTI_ERROR_NONE ||
        jvmti->SetEventNotificationMode(JVMTI_ENABLE, JVMTI_EVENT_VM_INIT, nullptr) != JVMTI_ERROR_NONE ||
        jvmti->SetEventNotificationMode(JVMTI_ENABLE, JVMTI_EVENT_VM_DEATH, nullptr) != JVMTI_ERROR_NONE) {
        return JNI_ERR;
    }
    return JNI_OK;
}
