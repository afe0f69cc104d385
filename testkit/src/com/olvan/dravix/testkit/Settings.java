package com.olvan.dravix.testkit;

import java.util.List;
import java.util.Map;

/**
 * The settings a service was made with, as the service library received them
 * from the API's conversion of a {@code DravixProperty}. Texts are null where the
 * service got none (the setting was left null); flags are what the library read.
 *
 * @param cfgFile the configuration file name
 * @param cfgStrings the configuration strings, null entries kept
 * @param serviceName the service name
 * @param applicationName the application name
 * @param enforceXsdValidation whether schema validation is enforced
 * @param serviceVerbosity the service's log level
 * @param ddsVerbosity the middleware's log level
 * @param domainIdBase the base domain identifier
 * @param pluginSearchPath the plugin search path
 * @param dontStartService whether the service is made without starting it
 * @param enableAdministration whether remote administration is on
 * @param administrationDomainId the administration domain identifier
 * @param enableMonitoring whether monitoring is on
 * @param monitoringDomainId the monitoring domain identifier
 * @param skipDefaultFiles whether the default files are skipped
 * @param identifyExecution whether the execution identifies itself
 * @param userEnvironment the user environment's entries in the order received; a
 *     value may be null
 */
public record Settings(String cfgFile, List<String> cfgStrings, String serviceName, String applicationName,
        boolean enforceXsdValidation, int serviceVerbosity, int ddsVerbosity, int domainIdBase,
        String pluginSearchPath, boolean dontStartService, boolean enableAdministration, int administrationDomainId,
        boolean enableMonitoring, int monitoringDomainId, boolean skipDefaultFiles, boolean identifyExecution,
        List<Map.Entry<String, String>> userEnvironment) {
}
