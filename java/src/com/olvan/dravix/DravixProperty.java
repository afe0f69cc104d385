package com.olvan.dravix;

import java.util.Properties;

/**
 * The settings from which a {@link Dravix} service is created.
 *
 * <p>A {@code DravixProperty} is a plain Java object: it holds no native resources
 * and needs no closing. Each {@link Dravix} converts the settings into a native
 * record of its own when it is created, so later changes to this object do not
 * affect services that already exist, and one object may serve to create any
 * number of services.
 *
 * <p>String settings left {@code null} keep the service library's default. The
 * verbosity settings take the levels {@link #LOG_VERBOSITY_SILENT},
 * {@link #LOG_VERBOSITY_EXCEPTIONS}, {@link #LOG_VERBOSITY_WARNINGS} and
 * {@link #LOG_VERBOSITY_INFO}; the value is passed to the service unchanged.
 *
 * <p>Instances are not thread-safe: do not change one while a service is being
 * created from it. The class is final: the native side reads its fields by name,
 * and a subclass's field of the same name would otherwise stand in for them.
 */
public final class DravixProperty implements Cloneable {
    /** No log output. */
    public static final int LOG_VERBOSITY_SILENT = 0;
    /** Exceptions only. */
    public static final int LOG_VERBOSITY_EXCEPTIONS = 1;
    /** Exceptions and warnings; the default. */
    public static final int LOG_VERBOSITY_WARNINGS = 3;
    /** Everything, informational messages included. */
    public static final int LOG_VERBOSITY_INFO = 7;

    // The native conversion reads these fields by name and type: keep both.
    private String cfgFile;
    private String[] cfgStrings;
    private String serviceName;
    private String applicationName;
    private boolean enforceXsdValidation = true;
    private int serviceVerbosity = LOG_VERBOSITY_WARNINGS;
    private int ddsVerbosity = LOG_VERBOSITY_WARNINGS;
    private int domainIdBase;
    private String pluginSearchPath;
    private boolean dontStartService;
    private boolean enableAdministration;
    private int administrationDomainId;
    private boolean enableMonitoring;
    private int monitoringDomainId;
    private boolean skipDefaultFiles;
    private boolean identifyExecution;
    @SuppressWarnings("checkstyle:MemberName")
    private Properties user_environment = new Properties();

    /** Settings with every default: no files, no names, schema validation on, warnings logged. */
    public DravixProperty() {
    }

    /**
     * What the native conversion is given: these settings, with the user
     * environment seen as a Java reader of {@code Properties} sees it.
     */
    DravixProperty forConversion() {
        DravixProperty copy;
        try {
            copy = (DravixProperty) super.clone();  // every setting, without a list of them to keep
        } catch (CloneNotSupportedException e) {
            throw new AssertionError(e);
        }
        copy.user_environment = UserEnvironmentView.of(user_environment);
        return copy;
    }

    /**
     * Returns the configuration file name.
     *
     * @return the configuration file name, or null
     */
    public String getCfgFile() {
        return cfgFile;
    }

    /**
     * Sets the configuration file name.
     *
     * @param cfgFile a configuration file name, or null for none
     * @return this object
     */
    public DravixProperty setCfgFile(String cfgFile) {
        this.cfgFile = cfgFile;
        return this;
    }

    /**
     * Returns a copy of the configuration strings.
     *
     * @return a copy of the configuration strings, or null
     */
    public String[] getCfgStrings() {
        return cfgStrings == null ? null : cfgStrings.clone();
    }

    /**
     * Sets the configuration strings.
     *
     * @param cfgStrings configuration texts, copied; null entries are passed on as
     *     null; null for none
     * @return this object
     */
    public DravixProperty setCfgStrings(String... cfgStrings) {
        this.cfgStrings = cfgStrings == null ? null : cfgStrings.clone();
        return this;
    }

    /**
     * Returns the service name.
     *
     * @return the service name, or null
     */
    public String getServiceName() {
        return serviceName;
    }

    /**
     * Sets the service name.
     *
     * @param serviceName the service name, or null for the library's default
     * @return this object
     */
    public DravixProperty setServiceName(String serviceName) {
        this.serviceName = serviceName;
        return this;
    }

    /**
     * Returns the application name.
     *
     * @return the application name, or null
     */
    public String getApplicationName() {
        return applicationName;
    }

    /**
     * Sets the application name.
     *
     * @param applicationName the application name, or null for the library's default
     * @return this object
     */
    public DravixProperty setApplicationName(String applicationName) {
        this.applicationName = applicationName;
        return this;
    }

    /**
     * Returns whether configuration is validated against its schema.
     *
     * @return whether configuration is validated against its schema
     */
    public boolean isEnforceXsdValidation() {
        return enforceXsdValidation;
    }

    /**
     * Sets whether configuration is validated against its schema.
     *
     * @param enforceXsdValidation whether to validate configuration against its schema
     * @return this object
     */
    public DravixProperty setEnforceXsdValidation(boolean enforceXsdValidation) {
        this.enforceXsdValidation = enforceXsdValidation;
        return this;
    }

    /**
     * Returns the service's log level.
     *
     * @return the service's log level
     */
    public int getServiceVerbosity() {
        return serviceVerbosity;
    }

    /**
     * Sets the service's log level.
     *
     * @param serviceVerbosity one of the {@code LOG_VERBOSITY_*} levels
     * @return this object
     */
    public DravixProperty setServiceVerbosity(int serviceVerbosity) {
        this.serviceVerbosity = serviceVerbosity;
        return this;
    }

    /**
     * Returns the middleware's log level.
     *
     * @return the middleware's log level
     */
    public int getDdsVerbosity() {
        return ddsVerbosity;
    }

    /**
     * Sets the middleware's log level.
     *
     * @param ddsVerbosity one of the {@code LOG_VERBOSITY_*} levels
     * @return this object
     */
    public DravixProperty setDdsVerbosity(int ddsVerbosity) {
        this.ddsVerbosity = ddsVerbosity;
        return this;
    }

    /**
     * Returns the domain identifier base.
     *
     * @return the domain identifier base
     */
    public int getDomainIdBase() {
        return domainIdBase;
    }

    /**
     * Sets the domain identifier base.
     *
     * @param domainIdBase the domain identifier base
     * @return this object
     */
    public DravixProperty setDomainIdBase(int domainIdBase) {
        this.domainIdBase = domainIdBase;
        return this;
    }

    /**
     * Returns the plug-in search path.
     *
     * @return the plug-in search path, or null
     */
    public String getPluginSearchPath() {
        return pluginSearchPath;
    }

    /**
     * Sets the plug-in search path.
     *
     * @param pluginSearchPath the plug-in search path, or null for the library's default
     * @return this object
     */
    public DravixProperty setPluginSearchPath(String pluginSearchPath) {
        this.pluginSearchPath = pluginSearchPath;
        return this;
    }

    /**
     * Returns whether the service is told not to start.
     *
     * @return whether the service is told not to start
     */
    public boolean isDontStartService() {
        return dontStartService;
    }

    /**
     * Sets whether the service is told not to start.
     *
     * @param dontStartService whether the service is told not to start
     * @return this object
     */
    public DravixProperty setDontStartService(boolean dontStartService) {
        this.dontStartService = dontStartService;
        return this;
    }

    /**
     * Returns whether remote administration is enabled.
     *
     * @return whether remote administration is enabled
     */
    public boolean isEnableAdministration() {
        return enableAdministration;
    }

    /**
     * Sets whether remote administration is enabled.
     *
     * @param enableAdministration whether remote administration is enabled
     * @return this object
     */
    public DravixProperty setEnableAdministration(boolean enableAdministration) {
        this.enableAdministration = enableAdministration;
        return this;
    }

    /**
     * Returns the administration domain identifier.
     *
     * @return the administration domain identifier
     */
    public int getAdministrationDomainId() {
        return administrationDomainId;
    }

    /**
     * Sets the administration domain identifier.
     *
     * @param administrationDomainId the administration domain identifier
     * @return this object
     */
    public DravixProperty setAdministrationDomainId(int administrationDomainId) {
        this.administrationDomainId = administrationDomainId;
        return this;
    }

    /**
     * Returns whether monitoring is enabled.
     *
     * @return whether monitoring is enabled
     */
    public boolean isEnableMonitoring() {
        return enableMonitoring;
    }

    /**
     * Sets whether monitoring is enabled.
     *
     * @param enableMonitoring whether monitoring is enabled
     * @return this object
     */
    public DravixProperty setEnableMonitoring(boolean enableMonitoring) {
        this.enableMonitoring = enableMonitoring;
        return this;
    }

    /**
     * Returns the monitoring domain identifier.
     *
     * @return the monitoring domain identifier
     */
    public int getMonitoringDomainId() {
        return monitoringDomainId;
    }

    /**
     * Sets the monitoring domain identifier.
     *
     * @param monitoringDomainId the monitoring domain identifier
     * @return this object
     */
    public DravixProperty setMonitoringDomainId(int monitoringDomainId) {
        this.monitoringDomainId = monitoringDomainId;
        return this;
    }

    /**
     * Returns whether the default configuration files are skipped.
     *
     * @return whether the default configuration files are skipped
     */
    public boolean isSkipDefaultFiles() {
        return skipDefaultFiles;
    }

    /**
     * Sets whether the default configuration files are skipped.
     *
     * @param skipDefaultFiles whether the default configuration files are skipped
     * @return this object
     */
    public DravixProperty setSkipDefaultFiles(boolean skipDefaultFiles) {
        this.skipDefaultFiles = skipDefaultFiles;
        return this;
    }

    /**
     * Returns whether the execution identifies itself.
     *
     * @return whether the execution identifies itself
     */
    public boolean isIdentifyExecution() {
        return identifyExecution;
    }

    /**
     * Sets whether the execution identifies itself.
     *
     * @param identifyExecution whether the execution identifies itself
     * @return this object
     */
    public DravixProperty setIdentifyExecution(boolean identifyExecution) {
        this.identifyExecution = identifyExecution;
        return this;
    }

    /**
     * The user environment: name/value pairs handed to the service. The object is
     * live: changes to it show in services created afterwards.
     *
     * @return the user environment, or null if it was set to null
     */
    public Properties getUserEnvironment() {
        return user_environment;
    }

    /**
     * Replaces the user environment. What is passed on is what
     * {@link Properties#stringPropertyNames()} names, with the values
     * {@link Properties#getProperty(String)} gives: entries whose key or value is
     * not a {@code String} are left out, and the defaults count whether or not the
     * object has entries of its own. A subclass that overrides
     * {@code propertyNames()} decides the names and their order itself: its
     * {@code String} keys are passed in the order it yields them, each with its
     * {@code getProperty} value (null passed as null). An object with nothing to
     * pass adds nothing; null empties the service's list. If one of the object's
     * methods throws, creating the service fails with
     * {@link com.olvan.dravix.infrastructure.OutOfResourcesException}, whose cause
     * is what was thrown.
     *
     * @param userEnvironment the name/value pairs, or null
     * @return this object
     */
    public DravixProperty setUserEnvironment(Properties userEnvironment) {
        this.user_environment = userEnvironment;
        return this;
    }

    /**
     * Self-check for test harnesses: converts these settings into a fresh native
     * record and compares it with the record that the numbered test case expects.
     *
     * @param testCase 0 to 5; any other number returns false and compares nothing
     * @return true if every field matches
     * @throws RuntimeException naming the first field that differs
     * @throws com.olvan.dravix.infrastructure.OutOfResourcesException if the
     *     record or the conversion could not be made
     */
    public boolean checkNative(long testCase) {
        try (NativeRecord record = NativeRecord.convert(this)) {
            return DravixProperty_check_native(record.handle(), testCase);
        }
    }

    // The native half. Handles are addresses of native property records.

    /** Allocates a record holding the service library's defaults. */
    static native long DravixProperty_new();

    /** Releases a record and everything it owns; the handle is dead afterwards. */
    static native void DravixProperty_delete(long record);

    /** Copies this object's settings into the record. */
    native void DravixProperty_to_native(long record);

    /** Compares the record with the one expected for a test case. */
    static native boolean DravixProperty_check_native(long record, long testCase);
}
