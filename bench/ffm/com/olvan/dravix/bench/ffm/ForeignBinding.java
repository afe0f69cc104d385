package com.olvan.dravix.bench.ffm;

import com.olvan.dravix.DravixProperty;
import com.olvan.dravix.bench.ForeignPeer;
import java.lang.foreign.Arena;
import java.lang.foreign.FunctionDescriptor;
import java.lang.foreign.Linker;
import java.lang.foreign.MemorySegment;
import java.lang.foreign.SymbolLookup;
import java.lang.foreign.ValueLayout;
import java.lang.invoke.MethodHandle;
import java.util.Enumeration;
import java.util.Properties;

/**
 * The service library bound with java.lang.foreign, written as a careful Java
 * team would write it: handles made once, text read with
 * {@code MemorySegment.getString} (UTF-8), strings passed as middleware copies
 * and released on every path. It finds the libraries the bridge loaded, so
 * both sides call the very same service.
 */
public final class ForeignBinding implements ForeignPeer {
    private static final Linker LINKER = Linker.nativeLinker();
    // The bridge's loader loaded the bridge, and with it the service and
    // middleware libraries it depends on.
    private static final SymbolLookup LIBRARIES = SymbolLookup.loaderLookup();

    private static final MethodHandle GET_CONFIGURATION = function("OLVAN_Dravix_get_configuration",
            FunctionDescriptor.of(ValueLayout.ADDRESS, ValueLayout.ADDRESS));
    private static final MethodHandle FREE_STRING = function("OLVAN_Dravix_free_string",
            FunctionDescriptor.ofVoid(ValueLayout.ADDRESS));
    private static final MethodHandle CREATE_ENTITY = function("OLVAN_Dravix_create_entity",
            FunctionDescriptor.of(ValueLayout.JAVA_BYTE, ValueLayout.ADDRESS, ValueLayout.ADDRESS,
                    ValueLayout.ADDRESS, ValueLayout.ADDRESS));
    private static final MethodHandle STRING_DUP = function("DDS_String_dup",
            FunctionDescriptor.of(ValueLayout.ADDRESS, ValueLayout.ADDRESS));
    private static final MethodHandle STRING_FREE = function("DDS_String_free",
            FunctionDescriptor.ofVoid(ValueLayout.ADDRESS));
    private static final MethodHandle PROPERTIES_ADD = function("OLVAN_DravixProperties_add",
            FunctionDescriptor.of(ValueLayout.JAVA_BYTE, ValueLayout.ADDRESS, ValueLayout.ADDRESS,
                    ValueLayout.ADDRESS));
    private static final MethodHandle MALLOC = LINKER.downcallHandle(
            LINKER.defaultLookup().find("malloc").orElseThrow(),
            FunctionDescriptor.of(ValueLayout.ADDRESS, ValueLayout.JAVA_LONG));

    private static final String FILE_PREFIX = "file://";

    /** The native record's layout: 256 bytes, the fields the settings fill. */
    private static final long RECORD_SIZE = 256;
    private static final long CFG_FILE = 0;
    private static final long CFG_STRINGS = 8;
    private static final long CFG_STRINGS_COUNT = 16;
    private static final long SERVICE_NAME = 24;
    private static final long APPLICATION_NAME = 32;
    private static final long ENFORCE_XSD_VALIDATION = 40;
    private static final long SERVICE_VERBOSITY = 44;
    private static final long DDS_VERBOSITY = 48;
    private static final long DOMAIN_ID_BASE = 52;
    private static final long PLUGIN_SEARCH_PATH = 56;
    private static final long DONT_START_SERVICE = 64;
    private static final long ENABLE_ADMINISTRATION = 65;
    private static final long ADMINISTRATION_DOMAIN_ID = 68;
    private static final long ENABLE_MONITORING = 72;
    private static final long MONITORING_DOMAIN_ID = 76;
    private static final long SKIP_DEFAULT_FILES = 88;
    private static final long IDENTIFY_EXECUTION = 89;
    private static final long USER_ENVIRONMENT = 240;

    private static MethodHandle function(String name, FunctionDescriptor descriptor) {
        MemorySegment symbol = LIBRARIES.find(name)
                .orElseThrow(() -> new IllegalStateException(name + " is not in the loaded libraries"));
        return LINKER.downcallHandle(symbol, descriptor);
    }

    public ForeignBinding() {
    }

    @Override
    public String getConfiguration(long service) {
        MemorySegment text;
        try {
            text = (MemorySegment) GET_CONFIGURATION.invokeExact(MemorySegment.ofAddress(service));
        } catch (Throwable t) {
            throw rethrown(t);
        }
        if (text.equals(MemorySegment.NULL)) {
            throw new IllegalStateException("OLVAN_Dravix_get_configuration error");
        }
        try {
            return text.reinterpret(Long.MAX_VALUE).getString(0);
        } finally {
            try {
                FREE_STRING.invokeExact(text);
            } catch (Throwable t) {
                throw rethrown(t);
            }
        }
    }

    @Override
    public void createEntity(long service, String name, String configuration) {
        MemorySegment nameCopy = MemorySegment.NULL;
        MemorySegment configurationCopy = MemorySegment.NULL;
        try {
            try (Arena arena = Arena.ofConfined()) {
                nameCopy = (MemorySegment) STRING_DUP.invokeExact(arena.allocateFrom(name));
                configurationCopy = (MemorySegment) STRING_DUP.invokeExact(arena.allocateFrom(configuration));
            }
            if (nameCopy.equals(MemorySegment.NULL) || configurationCopy.equals(MemorySegment.NULL)) {
                throw new OutOfMemoryError("DDS_String_dup");
            }
            MemorySegment fileName = MemorySegment.NULL;
            MemorySegment text = configurationCopy;
            if (configuration.startsWith(FILE_PREFIX)) {
                fileName = MemorySegment.ofAddress(configurationCopy.address() + FILE_PREFIX.length());
                text = MemorySegment.NULL;
            }
            byte created = (byte) CREATE_ENTITY.invokeExact(MemorySegment.ofAddress(service), nameCopy, fileName,
                    text);
            if (created != 1) {
                throw new IllegalStateException("OLVAN_Dravix_create_entity error");
            }
        } catch (RuntimeException | Error e) {
            throw e;
        } catch (Throwable t) {
            throw rethrown(t);
        } finally {
            free(nameCopy);
            free(configurationCopy);
        }
    }

    @Override
    public void toNative(DravixProperty property, long recordAddress) {
        MemorySegment record = MemorySegment.ofAddress(recordAddress).reinterpret(RECORD_SIZE);
        try (Arena arena = Arena.ofConfined()) {
            putString(arena, record, CFG_FILE, property.getCfgFile());
            putStrings(arena, record, property.getCfgStrings());
            putString(arena, record, SERVICE_NAME, property.getServiceName());
            putString(arena, record, APPLICATION_NAME, property.getApplicationName());
            putBoolean(record, ENFORCE_XSD_VALIDATION, property.isEnforceXsdValidation());
            record.set(ValueLayout.JAVA_INT, SERVICE_VERBOSITY, property.getServiceVerbosity());
            record.set(ValueLayout.JAVA_INT, DDS_VERBOSITY, property.getDdsVerbosity());
            record.set(ValueLayout.JAVA_INT, DOMAIN_ID_BASE, property.getDomainIdBase());
            putString(arena, record, PLUGIN_SEARCH_PATH, property.getPluginSearchPath());
            putBoolean(record, DONT_START_SERVICE, property.isDontStartService());
            putBoolean(record, ENABLE_ADMINISTRATION, property.isEnableAdministration());
            record.set(ValueLayout.JAVA_INT, ADMINISTRATION_DOMAIN_ID, property.getAdministrationDomainId());
            putBoolean(record, ENABLE_MONITORING, property.isEnableMonitoring());
            record.set(ValueLayout.JAVA_INT, MONITORING_DOMAIN_ID, property.getMonitoringDomainId());
            putBoolean(record, SKIP_DEFAULT_FILES, property.isSkipDefaultFiles());
            putBoolean(record, IDENTIFY_EXECUTION, property.isIdentifyExecution());
            putUserEnvironment(arena, record.asSlice(USER_ENVIRONMENT), property.getUserEnvironment());
        } catch (RuntimeException | Error e) {
            throw e;
        } catch (Throwable t) {
            throw rethrown(t);
        }
    }

    private static void putBoolean(MemorySegment record, long offset, boolean value) {
        record.set(ValueLayout.JAVA_BYTE, offset, (byte) (value ? 1 : 0));
    }

    /** A null value leaves the slot; otherwise the slot's string is replaced by a middleware copy. */
    private static void putString(Arena arena, MemorySegment record, long offset, String value) throws Throwable {
        if (value == null) {
            return;
        }
        MemorySegment copy = (MemorySegment) STRING_DUP.invokeExact(arena.allocateFrom(value));
        if (copy.equals(MemorySegment.NULL)) {
            throw new OutOfMemoryError("DDS_String_dup");
        }
        free(record.get(ValueLayout.ADDRESS, offset));
        record.set(ValueLayout.ADDRESS, offset, copy);
    }

    /** The configuration strings: an array from the C heap, each entry a middleware copy. */
    private static void putStrings(Arena arena, MemorySegment record, String[] strings) throws Throwable {
        if (strings == null) {
            return;
        }
        long bytes = (long) strings.length * ValueLayout.ADDRESS.byteSize();
        MemorySegment array = ((MemorySegment) MALLOC.invokeExact(Math.max(bytes, 1L))).reinterpret(bytes);
        if (array.equals(MemorySegment.NULL)) {
            throw new OutOfMemoryError("malloc");
        }
        array.fill((byte) 0);
        record.set(ValueLayout.ADDRESS, CFG_STRINGS, array);
        record.set(ValueLayout.JAVA_INT, CFG_STRINGS_COUNT, strings.length);
        for (int i = 0; i < strings.length; i++) {
            if (strings[i] != null) {
                putString(arena, array, i * ValueLayout.ADDRESS.byteSize(), strings[i]);
            }
        }
    }

    private static void putUserEnvironment(Arena arena, MemorySegment list, Properties environment)
            throws Throwable {
        if (environment == null) {
            return;
        }
        for (Enumeration<?> names = environment.propertyNames(); names.hasMoreElements(); ) {
            String name = (String) names.nextElement();
            String value = environment.getProperty(name);
            MemorySegment nativeValue = value == null ? MemorySegment.NULL : arena.allocateFrom(value);
            byte added = (byte) PROPERTIES_ADD.invokeExact(list, arena.allocateFrom(name), nativeValue);
            if (added == 0) {
                throw new OutOfMemoryError("OLVAN_DravixProperties_add");
            }
        }
    }

    private static void free(MemorySegment string) {
        if (string.equals(MemorySegment.NULL)) {
            return;
        }
        try {
            STRING_FREE.invokeExact(string);
        } catch (Throwable t) {
            throw rethrown(t);
        }
    }

    private static RuntimeException rethrown(Throwable t) {
        if (t instanceof RuntimeException r) {
            throw r;
        }
        if (t instanceof Error e) {
            throw e;
        }
        throw new IllegalStateException(t);
    }
}
