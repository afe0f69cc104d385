package com.olvan.dravix.server.app;

import com.olvan.dravix.Dravix;
import com.olvan.dravix.DravixProperty;
import jakarta.servlet.http.HttpServlet;
import jakarta.servlet.http.HttpServletRequest;
import jakarta.servlet.http.HttpServletResponse;
import java.io.IOException;

/**
 * A web application's use of Dravix on each request: a service named after the
 * application, started, given an entity, read back, stopped and closed.
 * Answers "ok NAME" when the service library saw that name, or what was thrown.
 */
public class DravixServlet extends HttpServlet {
    private static final long serialVersionUID = 1L;

    @Override
    protected void doGet(HttpServletRequest request, HttpServletResponse response) throws IOException {
        String name = request.getContextPath().substring(1);
        String answer;
        try (Dravix service = new Dravix(new DravixProperty().setServiceName(name))) {
            service.start();
            service.createEntity("route", "<route from=\"in\" to=\"out\"/>");
            String configuration = service.getConfiguration();
            service.stop();
            answer = configuration.contains("<service_name>" + name + "</service_name>") ? "ok " + name
                    : "wrong configuration: " + configuration;
        } catch (RuntimeException | LinkageError e) {
            answer = "thrown " + e.getClass().getName() + ": " + e.getMessage();
        }
        response.setContentType("text/plain;charset=UTF-8");
        response.getWriter().print(answer);
    }
}
