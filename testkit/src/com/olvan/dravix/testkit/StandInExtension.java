package com.olvan.dravix.testkit;

import java.util.ArrayList;
import java.util.List;
import org.junit.jupiter.api.extension.AfterEachCallback;
import org.junit.jupiter.api.extension.BeforeAllCallback;
import org.junit.jupiter.api.extension.BeforeEachCallback;
import org.junit.jupiter.api.extension.ExtensionContext;
import org.junit.jupiter.api.extension.ParameterContext;
import org.junit.jupiter.api.extension.ParameterResolver;

/**
 * JUnit support: {@code @ExtendWith(StandInExtension.class)}. Before the test
 * class is made it loads the stand-in (the first time); before each test it
 * clears injected failures; it passes
 * the {@link StandIn} to test methods and constructors that declare one; after
 * each test it fails the test if the test left a {@code Dravix} open or
 * middleware strings live, and says what was left; what was left is then set
 * aside, so that later tests see a stand-in without it.
 */
public final class StandInExtension implements BeforeAllCallback, BeforeEachCallback, AfterEachCallback,
        ParameterResolver {
    private static final ExtensionContext.Namespace NAMESPACE =
            ExtensionContext.Namespace.create(StandInExtension.class);

    /** What was live before the test: only what the test added is its own. */
    private record Before(long lastService, int liveStrings) {
    }

    /** Made by JUnit. */
    public StandInExtension() {
    }

    /**
     * Loads the stand-in before the test class is made: what the class's
     * construction makes (a Spring test's application context, say) then
     * finds the stand-in under the API.
     */
    @Override
    public void beforeAll(ExtensionContext context) {
        StandIn.get();
    }

    @Override
    public void beforeEach(ExtensionContext context) {
        StandIn standIn = StandIn.get();
        standIn.reset();
        List<Service> services = standIn.services();
        long last = services.isEmpty() ? 0 : services.get(services.size() - 1).number();
        context.getStore(NAMESPACE).put(Before.class, new Before(last, standIn.liveStrings()));
    }

    @Override
    public void afterEach(ExtensionContext context) {
        Before before = context.getStore(NAMESPACE).remove(Before.class, Before.class);
        if (before == null) {
            return;
        }
        StandIn standIn = StandIn.get();
        standIn.reset();
        List<String> left = new ArrayList<>();
        List<Long> numbers = new ArrayList<>();
        for (Service service : standIn.services()) {
            if (service.number() > before.lastService()) {
                left.add(describe(service));
                numbers.add(service.number());
            }
        }
        int strings = standIn.liveStrings() - before.liveStrings();
        if (left.isEmpty() && strings <= 0) {
            return;
        }
        StringBuilder message = new StringBuilder("The test left ");
        if (!left.isEmpty()) {
            message.append(left.size()).append(left.size() == 1 ? " Dravix" : " Dravix services")
                    .append(" open (").append(String.join("; ", left)).append(")");
        }
        if (strings > 0) {
            message.append(left.isEmpty() ? "" : " and ").append(strings)
                    .append(strings == 1 ? " middleware string" : " middleware strings").append(" live");
        }
        message.append(": close every Dravix it makes, with try-with-resources or close()");
        standIn.setAside(numbers, strings);
        throw new AssertionError(message.toString());
    }

    private static String describe(Service service) {
        String name = service.settings().serviceName();
        List<String> entities = new ArrayList<>();
        for (Entity entity : service.entities()) {
            entities.add(entity.name());
        }
        return "service " + (name == null ? "without a name" : "\"" + name + "\"")
                + (service.started() ? ", started" : "")
                + (entities.isEmpty() ? "" : ", entities " + entities);
    }

    @Override
    public boolean supportsParameter(ParameterContext parameter, ExtensionContext context) {
        return parameter.getParameter().getType() == StandIn.class;
    }

    @Override
    public Object resolveParameter(ParameterContext parameter, ExtensionContext context) {
        return StandIn.get();
    }
}
